#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include "support/JpegRoutines.h"

// The picture that stands on top of every window while the program starts:
// no frame, no input, the caption "Klavora.Lite" (not shown), centred on the
// screen, its one image control Image1 showing the compiled-in picture.
class TSplashScreen : public QWidget {
    Q_OBJECT

public:
    explicit TSplashScreen(QWidget* Owner = nullptr);

    // Paints the window at once, before the message loop runs.
    void PaintNow();

    QLabel* Image1; // the splash picture
};

// Filled by the program entry while the program starts.
extern TSplashScreen* SplashScreen;

// The client size of the splash window, which is the picture's size.
inline constexpr int SplashWidth = 393;
inline constexpr int SplashHeight = 174;

// The pixels of a decoded picture as a Qt image; a null image for an empty one.
QImage ImageOfPicture(const TRGBPicture& Picture);
