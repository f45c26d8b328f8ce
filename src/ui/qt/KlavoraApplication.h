#pragma once

#include <QApplication>

// The application object. An error that escapes any event handler (such as a
// settings file that cannot be written) is shown in the error box, and the
// program goes on.
class TKlavoraApplication : public QApplication {
public:
    TKlavoraApplication(int& Argc, char** Argv);

    bool notify(QObject* Receiver, QEvent* Event) override;
};
