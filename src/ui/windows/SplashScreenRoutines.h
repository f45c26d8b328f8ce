#pragma once

#include <windows.h>

#include "support/JpegRoutines.h"

// The picture that stands on top of every window while the program starts:
// no frame, no input, the caption "Klavora.Lite" (not shown), centred on the
// screen, its one image control Image1 showing the compiled-in picture.
class TSplashScreen {
public:
    // Created hidden.
    TSplashScreen();
    ~TSplashScreen();
    TSplashScreen(const TSplashScreen&) = delete;
    TSplashScreen& operator=(const TSplashScreen&) = delete;

    HWND Handle() const { return Window; }
    HWND Image1 = nullptr; // the picture

    void Show();
    void Hide();
    // Paints the window at once, before the message loop runs.
    void PaintNow();

private:
    HWND Window = nullptr;
    HBITMAP Picture = nullptr;
};

// Filled by the program entry while the program starts.
extern TSplashScreen* SplashScreen;

// The client size of the splash window at 96 dots per inch, which is the picture's size.
inline constexpr int SplashWidth = 393;
inline constexpr int SplashHeight = 174;

// The pixels of a decoded picture as a bitmap that Windows draws; none for
// an empty picture.
HBITMAP BitmapOfPicture(const TRGBPicture& Picture);
