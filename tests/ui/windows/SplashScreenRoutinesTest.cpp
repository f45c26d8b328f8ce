#include <gtest/gtest.h>

#include <windows.h>

#include "support/JpegRoutines.h"
#include "ui/windows/SplashScreenRoutines.h"
#include "ui/windows/WindowRoutines.h"

TEST(SplashScreenRoutines, APictureBecomesABitmapOfTheSameColours)
{
    // Three pixels a row: each row of the bitmap is padded to four bytes.
    const TRGBPicture Picture{3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90}};
    const HBITMAP Bitmap = BitmapOfPicture(Picture);
    ASSERT_NE(Bitmap, nullptr);
    const HDC Memory = CreateCompatibleDC(nullptr);
    const HGDIOBJ Replaced = SelectObject(Memory, Bitmap);
    EXPECT_EQ(GetPixel(Memory, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(Memory, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(Memory, 2, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(Memory, 0, 1), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(Memory, 2, 1), RGB(70, 80, 90));
    SelectObject(Memory, Replaced);
    DeleteDC(Memory);
    DeleteObject(Bitmap);

    EXPECT_EQ(BitmapOfPicture({}), nullptr);
}

TEST(SplashScreenRoutines, TheSplashStandsOnTopInTheMiddleOfTheScreenWithItsPicture)
{
    TSplashScreen Splash;
    EXPECT_FALSE(IsWindowVisible(Splash.Handle()));
    Splash.Show();
    Splash.PaintNow();
    EXPECT_TRUE(IsWindowVisible(Splash.Handle()));
    EXPECT_EQ(WindowText(Splash.Handle()), L"Klavora.Lite");
    EXPECT_NE(GetWindowLongPtrW(Splash.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(GetWindowLongPtrW(Splash.Handle(), GWL_STYLE) & WS_CAPTION, 0);

    RECT Place;
    GetWindowRect(Splash.Handle(), &Place);
    EXPECT_EQ(Place.right - Place.left, SplashWidth);
    EXPECT_EQ(Place.bottom - Place.top, SplashHeight);
    EXPECT_EQ(Place.left, (GetSystemMetrics(SM_CXSCREEN) - SplashWidth) / 2);
    EXPECT_EQ(Place.top, (GetSystemMetrics(SM_CYSCREEN) - SplashHeight) / 2);
    EXPECT_NE(SendMessageW(Splash.Image1, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    Splash.Hide();
    EXPECT_FALSE(IsWindowVisible(Splash.Handle()));
}
