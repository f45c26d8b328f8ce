#pragma once

#include <string>

#include <windows.h>

#include "ui/windows/GuardedCallRoutines.h"

// The program's icon at a size Windows asks for (SM_CXICON, SM_CXSMICON);
// none in a program built without the icon (a test program).
HICON ProgramIcon(int SizeMetric);

// Registers a window class of the program, once: the program's icon, the
// arrow cursor, the button-face background.
void RegisterProgramWindowClass(const wchar_t* Name, WNDPROC Procedure);

// A window's text.
std::wstring WindowText(HWND Window);

// The window procedure of a class whose windows are C++ objects: the object
// comes as CreateWindowExW's creation parameter and handles every message
// from WM_NCCREATE on with its HandleMessage.
template <typename TWindow>
LRESULT CALLBACK ObjectWindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_NCCREATE) {
        const auto* Creation = reinterpret_cast<const CREATESTRUCTW*>(LParam);
        SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Creation->lpCreateParams));
    }
    auto* Object = reinterpret_cast<TWindow*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
    if (Object == nullptr)
        return DefWindowProcW(Window, Message, WParam, LParam);
    return Guarded([&] { return Object->HandleMessage(Window, Message, WParam, LParam); });
}
