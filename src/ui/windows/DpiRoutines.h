#pragma once

#include <windows.h>

// The program lays its windows out in pixels at 96 dots per inch, and scales
// them to the dots per inch of the monitor each window stands on.
inline constexpr UINT DefaultDpi = 96;

// The dots per inch of the window's monitor: what Windows 10 reports for the
// window, on older systems the screen's.
UINT DpiOf(HWND Window);

// A length at 96 dots per inch at another.
inline int Scaled(int Pixels, UINT Dpi)
{
    return MulDiv(Pixels, static_cast<int>(Dpi), static_cast<int>(DefaultDpi));
}

// A length at Dpi back at 96 dots per inch.
inline int Unscaled(int Pixels, UINT Dpi)
{
    return MulDiv(Pixels, static_cast<int>(DefaultDpi), static_cast<int>(Dpi));
}

// The outer size of a window of the style whose client area is Width x Height.
SIZE WindowSizeFor(int Width, int Height, DWORD Style, DWORD ExtendedStyle, UINT Dpi);
