#include "calc/price_text.h"

#include <cmath>
#include <limits>

namespace torvel {

namespace {

// The form QLocale reads: cells pasted from a spreadsheet often carry a
// trailing tab or newline; right-to-left locales write invisible direction
// marks around their signs that a clerk never sees; and some locales take
// only an upper-case E as the exponent, although 1e2 is a plain number.
QString ReadableForm(const QString& text)
{
    QString form = text.trimmed();
    form.remove(QChar(0x061C)); // Arabic letter mark
    form.remove(QChar(0x200E)); // left-to-right mark
    form.remove(QChar(0x200F)); // right-to-left mark
    form.replace(u'e', u'E');
    return form;
}

} // namespace

double TextToNumber(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const double value = locale.toDouble(ReadableForm(text), &ok);
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
