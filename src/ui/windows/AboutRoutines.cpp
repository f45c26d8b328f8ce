#include "ui/windows/AboutRoutines.h"

#include <commctrl.h>

#include "support/VCLRoutines.h"
#include "support/WideTextRoutines.h"
#include "ui/KlavoraFormLayout.h"
#include "ui/windows/DpiRoutines.h"
#include "ui/windows/WindowRoutines.h"

TAbout* About = nullptr;

namespace {

constexpr const wchar_t* AboutClassName = L"KlavoraAbout";
// A fixed single frame with the system menu and the close button only.
constexpr DWORD AboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD AboutExtendedStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// Away from IDOK and IDCANCEL, which Enter and Escape send.
constexpr int HomePageId = 102;
constexpr int CloseId = 103;

HWND CreateChild(HWND Parent, const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id, const RECT& Place,
                 UINT Dpi)
{
    return CreateWindowExW(0, Class, Text, WS_CHILD | WS_VISIBLE | Style, Scaled(Place.left, Dpi),
                           Scaled(Place.top, Dpi), Scaled(Place.right, Dpi), Scaled(Place.bottom, Dpi), Parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleW(nullptr), nullptr);
}

}

TAbout::TAbout(HWND Owner)
    : Owner(Owner)
{
    RegisterProgramWindowClass(AboutClassName, ObjectWindowProc<TAbout>);
    const UINT Dpi = DpiOf(Owner);
    const SIZE Size = WindowSizeFor(Scaled(AboutWidth, Dpi), Scaled(AboutHeight, Dpi), AboutStyle,
                                    AboutExtendedStyle, Dpi);
    CreateWindowExW(AboutExtendedStyle, AboutClassName, L"About Klavora.Lite", AboutStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, Size.cx, Size.cy, Owner, nullptr, GetModuleHandleW(nullptr), this);
    Font = TahomaFont(11, Dpi);
    NameFont = TahomaFont(15, Dpi, true);
    // "Close" is made before "Home Page", which puts it first in the tab order.
    ProgramName = CreateChild(Window, WC_STATICW, L"Klavora.Lite", SS_CENTER | SS_NOPREFIX, 0, {8, 8, 305, 18}, Dpi);
    Label1 = CreateChild(Window, WC_STATICW, L"Free MIDI keyboard controller for every musician.",
                         SS_CENTER | SS_NOPREFIX, 0, {0, 52, 313, 13}, Dpi);
    Button3 = CreateChild(Window, WC_BUTTONW, L"Close", WS_TABSTOP | BS_PUSHBUTTON, CloseId, {208, 72, 75, 25}, Dpi);
    Button2 = CreateChild(Window, WC_BUTTONW, L"Home Page", WS_TABSTOP | BS_PUSHBUTTON, HomePageId,
                          {128, 72, 75, 25}, Dpi);
    for (const HWND Child : {Label1, Button3, Button2})
        SendMessageW(Child, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), FALSE);
    SendMessageW(ProgramName, WM_SETFONT, reinterpret_cast<WPARAM>(NameFont.Handle()), FALSE);
}

TAbout::~TAbout()
{
    DestroyWindow(Window);
}

void TAbout::SetProgramName(const std::string& Name)
{
    SetWindowTextW(ProgramName, WideText(Name).c_str());
}

void TAbout::ShowModal()
{
    RECT Main;
    RECT Box;
    GetWindowRect(Owner, &Main);
    GetWindowRect(Window, &Box);
    const TPoint Corner = CentredOver({Main.left, Main.top, Main.right - Main.left, Main.bottom - Main.top},
                                      Box.right - Box.left, Box.bottom - Box.top);
    SetWindowPos(Window, nullptr, Corner.X, Corner.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    EnableWindow(Owner, FALSE);
    ShowWindow(Window, SW_SHOW);
    SetFocus(Button3);
    IsShowing = true;
    MSG Message;
    while (IsShowing) {
        if (GetMessageW(&Message, nullptr, 0, 0) <= 0) {
            // The program is ending: the loop that ends it sees the quit too.
            PostQuitMessage(static_cast<int>(Message.wParam));
            IsShowing = false;
            break;
        }
        if (!IsDialogMessageW(Window, &Message)) {
            TranslateMessage(&Message);
            DispatchMessageW(&Message);
        }
    }
    // The owner takes input again before the box goes, so that it is the
    // window that becomes active.
    EnableWindow(Owner, TRUE);
    ShowWindow(Window, SW_HIDE);
}

void TAbout::Button2Click()
{
    ShellOpen(HomePageAddress);
}

void TAbout::Button3Click()
{
    IsShowing = false;
}

LRESULT TAbout::HandleMessage(HWND Handle, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case WM_NCCREATE: Window = Handle; break;
    case WM_COMMAND:
        switch (LOWORD(WParam)) {
        case HomePageId: Button2Click(); return 0;
        // Enter and Escape close the box as "Close" does.
        case CloseId:
        case IDOK:
        case IDCANCEL: Button3Click(); return 0;
        default: break;
        }
        break;
    // The caption bar's close button ends the showing; the box stays.
    case WM_CLOSE: Button3Click(); return 0;
    default: break;
    }
    return DefWindowProcW(Handle, Message, WParam, LParam);
}
