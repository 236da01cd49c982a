#pragma once

#include <QLocale>
#include <QString>

#include "calc/regional_settings.h"

namespace torvel {

// Conversions between the clerk's price texts and numbers. Every function
// follows the given locale, by default the user's regional settings: the
// numeric one for reading, the monetary one for showing money.

// True when the text reads as a finite binary64 in the locale: surrounding
// white space, a sign, the locale's digit grouping and an exponent are
// accepted; infinity, not-a-number and out-of-range values are not.
bool IsNumericText(const QString& text, const QLocale& locale = NumericLocale());

// The number the text reads as, or NaN exactly when IsNumericText is false.
double TextToNumber(const QString& text, const QLocale& locale = NumericLocale());

// The amount as the locale's currency text with exactly four decimals, rounded
// from the exact binary64 value, in full digits however large. An amount that
// rounds to zero is shown as a plain zero, never with a negative sign.
QString FormatPrice(double amount, const QLocale& locale = MonetaryLocale());

// The amount FormatPrice shows, as a plain decimal with a point, a leading
// minus for a negative amount and no grouping ("-0.2243"), for programs that
// read numbers rather than a clerk's text.
QString PriceAmount(double amount);

} // namespace torvel
