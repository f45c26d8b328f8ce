#include "WindowsFormFixture.h"

#include "ui/windows/KlavoraForm.h"

void WindowsFormTest::TearDown()
{
    HoldModifiers(false, false, false);
    ReleaseCapture();
    delete Form1;
    Form1 = nullptr;
}

void WindowsFormTest::CreateForm()
{
    Form1 = new TForm1;
    Form1->Show();
    DispatchWaiting();
    Service.ClearRecords();
}

void WindowsFormTest::DispatchWaiting()
{
    MSG Message;
    while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
        if (Form1 != nullptr)
            Form1->RouteKeyMessage(Message);
        TranslateMessage(&Message);
        DispatchMessageW(&Message);
    }
}

HWND WindowsFormTest::Window() const
{
    return Form1->Handle();
}

HWND WindowsFormTest::Control(TFormControl Control) const
{
    return Form1->ControlHandle(Control);
}

LRESULT WindowsFormTest::Send(HWND Target, UINT Message, WPARAM WParam, LPARAM LParam)
{
    return SendMessageW(Target, Message, WParam, LParam);
}

void WindowsFormTest::SendKey(UINT Message, WPARAM Key, bool Previous)
{
    const bool Release = Message == WM_KEYUP || Message == WM_SYSKEYUP;
    // Repeat count 1; bit 30: the key was down; bit 31: it goes up.
    LPARAM Flags = 1;
    if (Previous || Release)
        Flags |= LPARAM{1} << 30;
    if (Release)
        Flags |= LPARAM{1} << 31;
    if (Message == WM_SYSKEYDOWN || Message == WM_SYSKEYUP)
        Flags |= LPARAM{1} << 29;
    Send(Window(), Message, Key, Flags);
}

void WindowsFormTest::HoldModifiers(bool Shift, bool Alt, bool Ctrl)
{
    BYTE Keys[256];
    GetKeyboardState(Keys);
    Keys[VK_SHIFT] = Shift ? 0x80 : 0;
    Keys[VK_MENU] = Alt ? 0x80 : 0;
    Keys[VK_CONTROL] = Ctrl ? 0x80 : 0;
    SetKeyboardState(Keys);
}
