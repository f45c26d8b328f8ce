#include "ui/qt/FontRoutines.h"

#include <QStringList>

QFont TahomaFont(int PixelHeight, bool Bold)
{
    QFont Font;
    Font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    Font.setStyleHint(QFont::SansSerif);
    Font.setPixelSize(PixelHeight);
    Font.setBold(Bold);
    return Font;
}
