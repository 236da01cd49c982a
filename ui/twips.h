#pragma once

#include <QRect>

namespace torvel {

// A rectangle in twips (1/1440 inch), the unit the window's layout is
// drawn up in.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The only place twips become pixels. Qt's high-DPI scaling already divides
// its scale factor out of the logical DPI, so converting at the logical DPI
// never scales twice: 96 DPI gives 15 twips a pixel.
int TwipsToPixels(int twips, qreal logicalDpi);

// Converts the edges rather than the size, so that controls which abut or
// overlap by a few twips keep doing so at every DPI.
QRect TwipsToPixels(const TwipsRect& twips, qreal logicalDpiX, qreal logicalDpiY);

} // namespace torvel
