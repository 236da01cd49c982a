#include "calc/price_text.h"

#include <cmath>
#include <limits>

namespace torvel {

double TextToNumber(const QString& text, const QLocale& locale)
{
    // Cells pasted from a spreadsheet often carry a trailing tab or newline.
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    // QLocale accepts "inf" and "nan" as valid, and flags overflow only
    // through ok; both must read as "not a number" here.
    if (!ok || !std::isfinite(value))
        return std::numeric_limits<double>::quiet_NaN();
    return value;
}

bool IsNumericText(const QString& text, const QLocale& locale)
{
    return std::isfinite(TextToNumber(text, locale));
}

QString FormatPrice(double amount, const QLocale& locale)
{
    constexpr int kDecimals = 4;
    // A minus sign or parentheses around 0.0000 reads to a clerk as an error.
    if (std::signbit(amount) && amount > -0.001
        && QString::number(-amount, 'f', kDecimals) == QLatin1String("0.0000"))
        amount = 0.0;
    return locale.toCurrencyString(amount, QString(), kDecimals);
}

} // namespace torvel
