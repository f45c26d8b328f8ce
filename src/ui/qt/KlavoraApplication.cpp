#include "ui/qt/KlavoraApplication.h"

#include <exception>

#include "support/ErrorRoutines.h"

TKlavoraApplication::TKlavoraApplication(int& Argc, char** Argv)
    : QApplication(Argc, Argv)
{
}

bool TKlavoraApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
        ShowError(Error.what());
    }
    return false;
}
