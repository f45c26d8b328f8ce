#include "app/StopSignalRoutines.h"

#include <windows.h>

#include <atomic>
#include <utility>

#include <QCoreApplication>
#include <QMetaObject>

// Windows tells a console program of Ctrl+C, Ctrl+Break, a closed console, a
// logoff and a shutdown through a handler that runs on a thread of its own:
// the handler only notes the event and asks the event loop to stop the
// program, which it then does there, like any other event.

namespace {

std::atomic<bool> Received = false;
std::atomic<bool> Watching = false;
// One request to the event loop is enough, however many events come.
std::atomic<bool> Requested = false;
std::function<void()> StopProgram;

void StopOnEventLoop()
{
    if (StopProgram)
        StopProgram();
}

void RequestStop()
{
    if (!Requested.exchange(true))
        QMetaObject::invokeMethod(QCoreApplication::instance(), StopOnEventLoop, Qt::QueuedConnection);
}

BOOL WINAPI OnConsoleControl(DWORD Event)
{
    Received = true;
    if (Watching)
        RequestStop();
    // Windows ends the process as soon as the handler returns from these:
    // the handler waits instead, and the process ends once the program has
    // stopped in order and returns from main.
    if (Event == CTRL_CLOSE_EVENT || Event == CTRL_LOGOFF_EVENT || Event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

}

void StopSignalsStart()
{
    Received = false;
    Requested = false;
    // A window program has no console of its own: started from one, it
    // listens to that one.
    AttachConsole(ATTACH_PARENT_PROCESS);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void StopSignalsWatch(std::function<void()> Stop)
{
    StopProgram = std::move(Stop);
    Watching = true;
    if (Received)
        RequestStop();
}

bool StopSignalReceived()
{
    return Received;
}

void StopSignalsStop()
{
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    Watching = false;
    StopProgram = nullptr;
}
