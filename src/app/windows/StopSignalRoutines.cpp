#include "app/StopSignalRoutines.h"

#include <atomic>
#include <thread>
#include <utility>

#include <windows.h>

namespace {

constexpr const wchar_t* WakeClassName = L"KlavoraStopWake";
constexpr const wchar_t* SessionClassName = L"KlavoraSessionWatch";
constexpr UINT WM_STOP_REQUESTED = WM_APP;

std::atomic<bool> StopRequested = false;
// The user-interface thread's window that a request wakes.
std::atomic<HWND> WakeWindow = nullptr;
std::function<void()> StopProgram;
// Set once the program has stopped: the requests that wait for it return.
HANDLE ProgramStopped = nullptr;

// The end of the session reaches every top-level window, and Windows ends
// the process once each has answered: this one, on a thread of its own,
// answers only once the program has stopped on its thread.
std::thread SessionWatcher;
std::atomic<DWORD> SessionWatcherId = 0;

// Runs on a thread of the system's (a console event) or on the session
// watcher: notes the request, wakes the user-interface thread and waits
// until the program has stopped there.
void RequestStop()
{
    StopRequested = true;
    if (const HWND Wake = WakeWindow.load())
        PostMessageW(Wake, WM_STOP_REQUESTED, 0, 0);
    WaitForSingleObject(ProgramStopped, INFINITE);
}

BOOL WINAPI OnConsoleEvent(DWORD)
{
    RequestStop();
    return TRUE;
}

LRESULT CALLBACK WakeProcedure(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_STOP_REQUESTED) {
        if (StopProgram)
            StopProgram();
        return 0;
    }
    return DefWindowProcW(Window, Message, WParam, LParam);
}

LRESULT CALLBACK SessionProcedure(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (WParam != FALSE)
            RequestStop();
        return 0;
    default: return DefWindowProcW(Window, Message, WParam, LParam);
    }
}

HWND CreateHiddenWindow(const wchar_t* ClassName, WNDPROC Procedure, HWND Parent)
{
    WNDCLASSW Class = {};
    Class.lpfnWndProc = Procedure;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = ClassName;
    RegisterClassW(&Class);
    return CreateWindowExW(0, ClassName, L"", WS_POPUP, 0, 0, 0, 0, Parent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

void WatchSession(HANDLE Ready)
{
    MSG Message;
    // The thread's message queue, which the quit goes to, exists before the program goes on.
    PeekMessageW(&Message, nullptr, 0, 0, PM_NOREMOVE);
    SessionWatcherId = GetCurrentThreadId();
    const HWND Window = CreateHiddenWindow(SessionClassName, SessionProcedure, nullptr);
    SetEvent(Ready);
    while (GetMessageW(&Message, nullptr, 0, 0) > 0)
        DispatchMessageW(&Message);
    DestroyWindow(Window);
}

}

void StopSignalsStart()
{
    StopRequested = false;
    if (ProgramStopped == nullptr)
        ProgramStopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    else
        ResetEvent(ProgramStopped);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    const HANDLE Ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SessionWatcher = std::thread(WatchSession, Ready);
    WaitForSingleObject(Ready, INFINITE);
    CloseHandle(Ready);
}

void StopSignalsWatch(std::function<void()> Stop)
{
    StopProgram = std::move(Stop);
    // A window only for messages: no input, never shown.
    WakeWindow = CreateHiddenWindow(WakeClassName, WakeProcedure, HWND_MESSAGE);
    if (StopRequested)
        PostMessageW(WakeWindow, WM_STOP_REQUESTED, 0, 0);
}

bool StopSignalReceived()
{
    return StopRequested;
}

void StopSignalsStop()
{
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    SetEvent(ProgramStopped);
    if (SessionWatcher.joinable()) {
        PostThreadMessageW(SessionWatcherId, WM_QUIT, 0, 0);
        SessionWatcher.join();
    }
    DestroyWindow(WakeWindow.exchange(nullptr));
    StopProgram = nullptr;
}
