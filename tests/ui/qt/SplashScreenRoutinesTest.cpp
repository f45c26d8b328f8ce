#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include "FormFixture.h"
#include "support/JpegRoutines.h"
#include "ui/SplashPicture.h"
#include "ui/qt/SplashScreenRoutines.h"

namespace {
class SplashScreenTest : public testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
};
}

TEST_F(SplashScreenTest, TheCompiledInPictureDecodesTo393By174)
{
    const TRGBPicture Picture = DecodeJpeg(SplashPicture());
    EXPECT_EQ(Picture.Width, SplashWidth);
    EXPECT_EQ(Picture.Height, SplashHeight);
    const QImage Image = ImageOfPicture(Picture);
    EXPECT_EQ(Image.size(), QSize(393, 174));
    EXPECT_TRUE(ImageOfPicture(TRGBPicture{}).isNull());
}

TEST_F(SplashScreenTest, IsABorderlessPictureOnTopCentredOnTheScreen)
{
    TSplashScreen Splash;
    EXPECT_EQ(Splash.windowTitle(), "Klavora.Lite");
    const Qt::WindowFlags Flags = Splash.windowFlags();
    EXPECT_TRUE(Flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(Flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(Flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(Splash.size(), QSize(393, 174));
    EXPECT_EQ(Splash.minimumSize(), Splash.maximumSize());

    ASSERT_NE(Splash.Image1, nullptr);
    EXPECT_EQ(Splash.Image1->objectName(), "Image1");
    EXPECT_EQ(Splash.Image1->geometry(), QRect(0, 0, 393, 174));
    EXPECT_EQ(Splash.Image1->pixmap().size(), QSize(393, 174));

    const QRect Screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(Splash.pos(), QPoint(Screen.left() + (Screen.width() - 393) / 2,
                                Screen.top() + (Screen.height() - 174) / 2));
}

TEST_F(SplashScreenTest, PaintsThePictureAtOnceInItsOwnColours)
{
    TSplashScreen Splash;
    Splash.show();
    Splash.PaintNow();
    EXPECT_TRUE(Splash.isVisible());

    const QImage Painted = Splash.grab().toImage().convertToFormat(QImage::Format_RGB888);
    const QImage Picture = ImageOfPicture(DecodeJpeg(SplashPicture()));
    ASSERT_EQ(Painted.size(), Picture.size());
    for (const QPoint Point : {QPoint(0, 0), QPoint(196, 40), QPoint(392, 173), QPoint(10, 160), QPoint(300, 100)})
        EXPECT_EQ(Painted.pixel(Point), Picture.pixel(Point)) << Point.x() << "," << Point.y();
    Splash.hide();
}
