#pragma once

#include <QApplication>

// The one application object that widget tests need, made on first use (on
// the offscreen platform unless another is chosen) and kept until the end.
inline void EnsureTestApplication()
{
    if (QApplication::instance() != nullptr)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "klavora-tests";
    static char* Argv[] = {Name, nullptr};
    new QApplication(Argc, Argv);
}
