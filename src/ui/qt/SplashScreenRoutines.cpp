#include "ui/qt/SplashScreenRoutines.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>

#include "ui/SplashPicture.h"

TSplashScreen* SplashScreen = nullptr;

QImage ImageOfPicture(const TRGBPicture& Picture)
{
    if (Picture.Empty())
        return {};
    const QImage Borrowed(Picture.Pixels.data(), Picture.Width, Picture.Height, Picture.Width * 3,
        QImage::Format_RGB888);
    return Borrowed.copy();
}

TSplashScreen::TSplashScreen(QWidget* Owner)
    : QWidget(Owner,
          Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , Image1(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Klavora.Lite"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(SplashWidth, SplashHeight);

    // A picture that does not decode leaves the window empty; the program starts all the same.
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, SplashWidth, SplashHeight);
    Image1->setPixmap(QPixmap::fromImage(ImageOfPicture(DecodeJpeg(SplashPicture()))));

    // At start-up no main window exists yet to centre on.
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Area = Screen->geometry();
        move(Area.left() + (Area.width() - SplashWidth) / 2, Area.top() + (Area.height() - SplashHeight) / 2);
    }
}

void TSplashScreen::PaintNow()
{
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
