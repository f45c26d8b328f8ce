#include "ui/windows/KeysUnderBox.h"

#include "ui/ErrorBoxRoutines.h"
#include "ui/windows/WindowRoutines.h"

namespace {

// The handlers of the one window whose hook follows the keys.
TFormHandlers* Following = nullptr;

LRESULT CALLBACK FollowKeysUnderBox(int Code, WPARAM WParam, LPARAM LParam)
{
    const auto* Message = reinterpret_cast<const MSG*>(LParam);
    if (Code >= 0 && Following != nullptr && ErrorBoxShowing() && IsKeyMessage(Message->message)) {
        Guarded([&] {
            Following->KeySeenUnderBox(IsKeyRelease(Message->message), static_cast<uint16_t>(Message->wParam),
                                       ShiftStateNow());
        });
    }
    return CallNextHookEx(nullptr, Code, WParam, LParam);
}

}

TShiftState ShiftStateNow()
{
    return {GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0};
}

bool IsKeyMessage(UINT Message)
{
    return Message == WM_KEYDOWN || Message == WM_KEYUP || Message == WM_SYSKEYDOWN || Message == WM_SYSKEYUP;
}

bool IsKeyRelease(UINT Message)
{
    return Message == WM_KEYUP || Message == WM_SYSKEYUP;
}

TKeysUnderBox::TKeysUnderBox(TFormHandlers& Handlers)
{
    Following = &Handlers;
    Hook = SetWindowsHookExW(WH_MSGFILTER, FollowKeysUnderBox, nullptr, GetCurrentThreadId());
}

TKeysUnderBox::~TKeysUnderBox()
{
    UnhookWindowsHookEx(Hook);
    Following = nullptr;
}
