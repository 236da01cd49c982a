#include "ui/readable_colour.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace torvel {

namespace {

double LinearChannel(double srgb)
{
    return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * LinearChannel(rgb.redF()) + 0.7152 * LinearChannel(rgb.greenF())
        + 0.0722 * LinearChannel(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDarkPalette(const QPalette& palette)
{
    return RelativeLuminance(palette.color(QPalette::Window)) < RelativeLuminance(palette.color(QPalette::WindowText));
}

QColor LightenedToContrast(const QColor& hue, const QColor& background)
{
    if (ContrastRatio(hue, background) >= kReadableContrast)
        return hue;
    const QColor hsl = hue.toHsl();
    const auto withLightness = [&](double lightness) {
        return QColor(QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).rgb());
    };
    // Luminance grows with lightness, so the least lightness that reaches the
    // contrast is found by bisection, on the 8-bit colours the screen shows.
    double dim = hsl.lightnessF();
    double bright = 1.0;
    if (ContrastRatio(withLightness(bright), background) < kReadableContrast)
        return withLightness(bright);
    for (int step = 0; step < 24; ++step) {
        const double middle = (dim + bright) / 2;
        (ContrastRatio(withLightness(middle), background) >= kReadableContrast ? bright : dim) = middle;
    }
    return withLightness(bright);
}

} // namespace torvel
