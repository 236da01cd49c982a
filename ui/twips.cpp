#include "ui/twips.h"

#include <cmath>

namespace torvel {

namespace {
constexpr qreal kTwipsPerInch = 1440.0;
}

int TwipsToPixels(int twips, qreal logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

QRect TwipsToPixels(const TwipsRect& twips, qreal logicalDpiX, qreal logicalDpiY)
{
    const int left = TwipsToPixels(twips.left, logicalDpiX);
    const int top = TwipsToPixels(twips.top, logicalDpiY);
    const int right = TwipsToPixels(twips.left + twips.width, logicalDpiX);
    const int bottom = TwipsToPixels(twips.top + twips.height, logicalDpiY);
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

} // namespace torvel
