#include <gtest/gtest.h>

#include <cstdlib>

#include <QImage>
#include <QPalette>
#include <QPixmap>

#include "FormFixture.h"
#include "ui/qt/KlavoraControls.h"

namespace {

QColor CentreOf(QWidget& Widget)
{
    return Widget.grab().toImage().pixelColor(Widget.width() / 2, Widget.height() / 2);
}

int Distance(const QColor& One, const QColor& Other)
{
    return std::abs(One.red() - Other.red()) + std::abs(One.green() - Other.green()) +
           std::abs(One.blue() - Other.blue());
}

QPalette DarkPalette()
{
    QPalette Palette;
    for (const QPalette::ColorRole Role : {QPalette::Window, QPalette::Button})
        Palette.setColor(Role, QColor(0x35, 0x35, 0x35));
    for (const QPalette::ColorRole Role : {QPalette::WindowText, QPalette::ButtonText})
        Palette.setColor(Role, Qt::white);
    Palette.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    Palette.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    return Palette;
}

// A key drawn idle, under the pointer and lit, on a palette.
struct TKeyLooks {
    QColor Idle, Pointed, Lit;

    TKeyLooks(const QPalette& Palette, const QString& Caption, QSize Size)
    {
        TButton Key(nullptr, Caption);
        Key.setPalette(Palette);
        Key.resize(Size);
        Idle = CentreOf(Key);
        Key.setAttribute(Qt::WA_UnderMouse, true);
        Pointed = CentreOf(Key);
        Key.setAttribute(Qt::WA_UnderMouse, false);
        Key.SetLit(true);
        Lit = CentreOf(Key);
    }
};

}

TEST(KlavoraControls, ALitKeyShowsTheHighlightsHueApartFromAnIdleOrPointedKeyOnLightAndDarkThemes)
{
    EnsureApplication();
    for (const QPalette& Palette : {QPalette(), DarkPalette()}) {
        SCOPED_TRACE(Palette.color(QPalette::Button).name().toStdString());
        const int Hue = Palette.color(QPalette::Highlight).hsvHue();

        // The style shades a white key's colour its own way, keeping its hue.
        const TKeyLooks White(Palette, QString(), {25, 81});
        EXPECT_NEAR(White.Lit.hsvHue(), Hue, 4) << White.Lit.name().toStdString();
        EXPECT_GE(Distance(White.Lit, White.Idle), 90);
        EXPECT_GE(Distance(White.Lit, White.Pointed), 90);

        const TKeyLooks Black(Palette, QStringLiteral("|"), {17, 49});
        EXPECT_EQ(Black.Idle.rgb(), Palette.color(QPalette::WindowText).rgb());
        EXPECT_EQ(Black.Lit.rgb(), LitKeyColor(Palette, true).rgb());
        EXPECT_NEAR(Black.Lit.hsvHue(), Hue, 4);
        EXPECT_GE(Distance(Black.Lit, Black.Idle), 90);
        EXPECT_LT(Black.Lit.value() + 20, White.Lit.value());
    }
}

TEST(KlavoraControls, TheLitColoursAreQtsOwnSoThatTheWindowLooksAsItAlwaysDid)
{
    for (int Red = 0; Red < 256; Red += 15)
        for (int Green = 0; Green < 256; Green += 17)
            for (int Blue = 0; Blue < 256; Blue += 3) {
                const QColor Highlight(Red, Green, Blue);
                const QColor Face(255 - Blue, Red, Green);
                QPalette Palette;
                Palette.setColor(QPalette::Highlight, Highlight);
                Palette.setColor(QPalette::Button, Face);
                ASSERT_EQ(LitKeyColor(Palette, true).rgb(), Highlight.darker(160).rgb()) << Highlight.name().toStdString();
                ASSERT_EQ(LitKeyColor(Palette, false).rgb(),
                          QColor((Red + Face.red()) / 2, (Green + Face.green()) / 2, (Blue + Face.blue()) / 2).rgb());
            }
}
