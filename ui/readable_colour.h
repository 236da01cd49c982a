#pragma once

#include <QColor>

class QPalette;

namespace torvel {

// Text colours that stay readable on dark desktop themes. Contrast follows
// WCAG 2: (L1 + 0.05) / (L2 + 0.05) of the lighter and the darker colour's
// relative luminance; 4.5:1 is the least that normal text needs.

constexpr double kReadableContrast = 4.5;

double RelativeLuminance(const QColor& colour);
double ContrastRatio(const QColor& a, const QColor& b);

// A dark palette draws light text on a dark window.
bool IsDarkPalette(const QPalette& palette);

// The hue with its lightness raised just enough to reach kReadableContrast
// against the background, or the hue itself when it already does. Hue and
// saturation stay; a background too light for any lightening gives white.
QColor LightenedToContrast(const QColor& hue, const QColor& background);

} // namespace torvel
