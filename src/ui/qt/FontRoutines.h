#pragma once

#include <QFont>

// Tahoma with a character height of PixelHeight pixels, the font of every
// window of the program. Where Tahoma is not installed, DejaVu Sans Condensed
// (close to Tahoma's widths) stands in, then DejaVu Sans.
QFont TahomaFont(int PixelHeight, bool Bold = false);
