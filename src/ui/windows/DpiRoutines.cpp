#include "ui/windows/DpiRoutines.h"

namespace {

// Functions that Windows has only since Windows 10, looked up so that the
// program still starts on older systems.
template <typename TFunction>
TFunction User32Function(const char* Name)
{
    return reinterpret_cast<TFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), Name)));
}

using TGetDpiForWindow = UINT(WINAPI*)(HWND);
using TAdjustWindowRectExForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}

UINT DpiOf(HWND Window)
{
    static const auto GetDpiForWindow = User32Function<TGetDpiForWindow>("GetDpiForWindow");
    if (GetDpiForWindow != nullptr && Window != nullptr) {
        if (const UINT Dpi = GetDpiForWindow(Window); Dpi != 0)
            return Dpi;
    }
    const HDC Screen = GetDC(nullptr);
    const int Dpi = GetDeviceCaps(Screen, LOGPIXELSX);
    ReleaseDC(nullptr, Screen);
    return Dpi > 0 ? static_cast<UINT>(Dpi) : DefaultDpi;
}

SIZE WindowSizeFor(int Width, int Height, DWORD Style, DWORD ExtendedStyle, UINT Dpi)
{
    static const auto AdjustForDpi = User32Function<TAdjustWindowRectExForDpi>("AdjustWindowRectExForDpi");
    RECT Frame = {0, 0, Width, Height};
    if (AdjustForDpi != nullptr)
        AdjustForDpi(&Frame, Style, FALSE, ExtendedStyle, Dpi);
    else
        AdjustWindowRectEx(&Frame, Style, FALSE, ExtendedStyle);
    return {Frame.right - Frame.left, Frame.bottom - Frame.top};
}
