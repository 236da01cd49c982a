#include "calc/price_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "calc/typed_number.h"

namespace torvel {

double TextToNumber(const QString& text, const QLocale& locale)
{
    constexpr double kNotNumeric = std::numeric_limits<double>::quiet_NaN();
    const std::optional<std::string> plain = PlainNumberForm(text, locale);
    if (!plain)
        return kNotNumeric;
    double value = 0.0;
    const char* const end = plain->data() + plain->size();
    // Overflow and underflow come back as result_out_of_range, and the plain
    // form never spells infinity or not-a-number.
    const auto [stop, error] = std::from_chars(plain->data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return kNotNumeric;
    return value;
}

bool IsNumericText(const QString& text, const QLocale& locale)
{
    return std::isfinite(TextToNumber(text, locale));
}

namespace {

constexpr int kDecimals = 4;

// A minus sign or parentheses around 0.0000 reads to a clerk as an error.
double WithoutNegativeZero(double amount)
{
    if (std::signbit(amount) && amount > -0.001
        && QString::number(-amount, 'f', kDecimals) == QLatin1String("0.0000"))
        return 0.0;
    return amount;
}

} // namespace

QString FormatPrice(double amount, const QLocale& locale)
{
    if (const std::optional<CurrencyFormat> own = UserCurrencyFormat(locale))
        return FormatCurrency(PriceAmount(amount), *own);
    return locale.toCurrencyString(WithoutNegativeZero(amount), QString(), kDecimals);
}

// The same rounding as the currency text, which Qt writes with these digits.
QString PriceAmount(double amount)
{
    return QString::number(WithoutNegativeZero(amount), 'f', kDecimals);
}

} // namespace torvel
