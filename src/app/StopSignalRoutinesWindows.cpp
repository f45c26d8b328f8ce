#include "app/StopSignalRoutines.h"

#include <windows.h>

#include <utility>

#include <QCoreApplication>
#include <QMetaObject>

// Windows tells a console program of Ctrl+C, Ctrl+Break, a closed console, a
// logoff and a shutdown through a handler that runs on a thread of its own:
// the handler only asks the event loop to stop the program, which it then
// does there, like any other event.

namespace {

std::function<void()> StopProgram;

void StopOnEventLoop()
{
    if (StopProgram)
        StopProgram();
}

BOOL WINAPI OnConsoleControl(DWORD Event)
{
    QCoreApplication* Application = QCoreApplication::instance();
    if (Application == nullptr)
        return FALSE;
    QMetaObject::invokeMethod(Application, StopOnEventLoop, Qt::QueuedConnection);
    // Windows ends the process as soon as the handler returns from these:
    // the handler waits instead, and the process ends once the program has
    // stopped in order and returns from main.
    if (Event == CTRL_CLOSE_EVENT || Event == CTRL_LOGOFF_EVENT || Event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

}

void StopSignalsStart(std::function<void()> Stop)
{
    StopProgram = std::move(Stop);
    // A window program has no console of its own: started from one, it
    // listens to that one.
    AttachConsole(ATTACH_PARENT_PROCESS);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void StopSignalsStop()
{
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    StopProgram = nullptr;
}
