#include "ui/windows/SplashScreenRoutines.h"

#include <cstring>

#include <commctrl.h>

#include "ui/SplashPicture.h"
#include "ui/windows/DpiRoutines.h"
#include "ui/windows/WindowRoutines.h"

TSplashScreen* SplashScreen = nullptr;

namespace {

constexpr const wchar_t* SplashClassName = L"KlavoraSplash";

}

HBITMAP BitmapOfPicture(const TRGBPicture& Picture)
{
    if (Picture.Empty())
        return nullptr;
    BITMAPINFO Format = {};
    Format.bmiHeader.biSize = sizeof Format.bmiHeader;
    Format.bmiHeader.biWidth = Picture.Width;
    // Rows from the top down, as the picture holds them.
    Format.bmiHeader.biHeight = -Picture.Height;
    Format.bmiHeader.biPlanes = 1;
    Format.bmiHeader.biBitCount = 24;
    Format.bmiHeader.biCompression = BI_RGB;
    void* Bits = nullptr;
    const HBITMAP Bitmap = CreateDIBSection(nullptr, &Format, DIB_RGB_COLORS, &Bits, nullptr, 0);
    if (Bitmap == nullptr)
        return nullptr;
    // Each row of the bitmap starts on four bytes and holds blue, green, red.
    const size_t RowBytes = (static_cast<size_t>(Picture.Width) * 3 + 3) & ~size_t{3};
    for (int32_t Row = 0; Row < Picture.Height; ++Row) {
        const uint8_t* From = Picture.Pixels.data() + static_cast<size_t>(Row) * Picture.Width * 3;
        auto* To = static_cast<uint8_t*>(Bits) + static_cast<size_t>(Row) * RowBytes;
        for (int32_t Column = 0; Column < Picture.Width; ++Column, From += 3, To += 3) {
            To[0] = From[2];
            To[1] = From[1];
            To[2] = From[0];
        }
    }
    return Bitmap;
}

TSplashScreen::TSplashScreen()
{
    // The window has no handlers: it reacts to nothing.
    RegisterProgramWindowClass(SplashClassName, DefWindowProcW);
    const UINT Dpi = DpiOf(nullptr);
    const int Width = Scaled(SplashWidth, Dpi);
    const int Height = Scaled(SplashHeight, Dpi);
    // At start-up no main window exists yet to centre on.
    const int Left = (GetSystemMetrics(SM_CXSCREEN) - Width) / 2;
    const int Top = (GetSystemMetrics(SM_CYSCREEN) - Height) / 2;
    Window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, SplashClassName, L"Klavora.Lite",
                             WS_POPUP | WS_DISABLED, Left, Top, Width, Height, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    // A picture that does not decode leaves the window empty; the program starts all the same.
    Picture = BitmapOfPicture(DecodeJpeg(SplashPicture()));
    Image1 = CreateWindowExW(0, WC_STATICW, nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_REALSIZECONTROL, 0, 0,
                             Width, Height, Window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(Image1, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Picture));
}

TSplashScreen::~TSplashScreen()
{
    DestroyWindow(Window);
    if (Picture != nullptr)
        DeleteObject(Picture);
}

void TSplashScreen::Show()
{
    ShowWindow(Window, SW_SHOWNOACTIVATE);
}

void TSplashScreen::Hide()
{
    ShowWindow(Window, SW_HIDE);
}

void TSplashScreen::PaintNow()
{
    RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}
