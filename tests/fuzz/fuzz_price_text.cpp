// Feeds hostile text, in locales with unusual digits, separators and signs,
// through the price text functions and the calculation, and aborts on the
// first broken invariant so that libFuzzer keeps the input that broke it.
//
// Input layout: byte 0 picks the locale, bit 0 of byte 1 says whether the rest
// is UTF-16 (so unpaired surrogates and any code unit reach the parser) or
// UTF-8. The text is split at '|' into fields, as if pasted into the three
// price boxes; with 24 or more bytes, those bytes are also read as three raw
// binary64 values, which reach subnormals, NaN payloads and rounding ties
// that text seldom spells.

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <variant>

#include "calc/class_prices.h"
#include "calc/price_text.h"
#include "tests/fuzz/shown_amount.h"

using namespace torvel;

namespace {

const QList<QLocale>& Locales()
{
    static const QList<QLocale> locales = {
        QLocale::c(),
        QLocale(QStringLiteral("en_US")),
        QLocale(QStringLiteral("de_DE")), // decimal comma, point groups
        QLocale(QStringLiteral("fr_FR")), // narrow no-break space groups
        QLocale(QStringLiteral("ar_EG")), // Arabic-Indic digits, marked minus
        QLocale(QStringLiteral("hi_IN")), // lakh grouping, symbol before minus
        QLocale(QStringLiteral("de_CH")), // right single quote groups
        QLocale(QStringLiteral("sv_SE")), // U+2212 minus, "×10^" exponent
        QLocale(QStringLiteral("fa_IR")), // Persian digits, two-character minus
        QLocale(QStringLiteral("he_IL")), // left-to-right mark before the minus
        QLocale(QStringLiteral("ar_DZ")), // Arabic with Latin digits and comma
        QLocale(QStringLiteral("ccp_BD")), // Chakma digits outside the BMP
        QLocale(QLocale::Fulah, QLocale::AdlamScript, QLocale::Guinea), // Adlam digits, U+2E41 groups
        QLocale(QStringLiteral("my_MM")), // Myanmar digits
        QLocale(QStringLiteral("bn_BD")), // Bengali digits, lakh grouping
        QLocale(QStringLiteral("wae_CH")), // decimal comma with quote groups
        QLocale(QStringLiteral("uk_UA")), // Cyrillic exponent letter
        QLocale(QStringLiteral("ps_AF")), // three-character minus
        QLocale(QStringLiteral("ja_JP")), // full-width yen sign
        QLocale(QStringLiteral("es_ES")), // no grouping of four-digit numbers
        QLocale(QStringLiteral("gsw_CH")), // U+2212 minus with quote groups
    };
    return locales;
}

[[noreturn]] void Fail(const char* what, const QString& text, const QLocale& locale)
{
    std::fprintf(stderr, "broken invariant: %s\n  locale: %s\n  text: [%s]\n", what,
                 qPrintable(locale.name()), text.toUtf8().constData());
    std::abort();
}

[[noreturn]] void Fail(const char* what, double value, const QLocale& locale)
{
    std::fprintf(stderr, "broken invariant: %s\n  locale: %s\n  value: %.17g (%a)\n", what,
                 qPrintable(locale.name()), value, value);
    std::abort();
}

void CheckFormat(double value, const QLocale& locale)
{
    const QString shown = FormatPrice(value, locale);
    const auto amount = testing::ReadShownAmount(shown, locale);
    if (!amount || amount->fraction.size() != 4)
        Fail("FormatPrice does not show exactly four digits after the decimal separator", value, locale);
    if (!testing::ShowsRoundedMagnitude(*amount, value))
        Fail("FormatPrice shows digits other than the value rounded to four decimals", value, locale);
    const bool shownAsZero = amount->plain().find_first_not_of("0.") == std::string::npos;
    if (value < 0 && !shownAsZero && shown == FormatPrice(-value, locale))
        Fail("FormatPrice shows a negative amount like its positive", value, locale);
}

// Returns the number the text reads as, NaN when it is not numeric.
double CheckText(const QString& text, const QLocale& locale)
{
    const bool numeric = IsNumericText(text, locale);
    const double value = TextToNumber(text, locale);
    if (numeric != std::isfinite(value))
        Fail("IsNumericText disagrees with whether TextToNumber is finite", text, locale);
    if (numeric)
        CheckFormat(value, locale);
    return value;
}

void CheckCalculation(const ClassPriceInputs& inputs, const QLocale& locale)
{
    const ClassPriceResult result = CalculateClassPrices(inputs);
    const auto* prices = std::get_if<ClassPrices>(&result);
    if (!prices)
        return; // an ArithmeticFault delivers nothing, which is allowed
    for (double price : {prices->Class4AFat, prices->Class4ASnf, prices->Class4ACwt,
                         prices->Class4BFat, prices->Class4BSnf, prices->Class4BCwt}) {
        if (!std::isfinite(price))
            Fail("CalculateClassPrices delivered a price that is not finite", price, locale);
        CheckFormat(price, locale);
    }
}

QString DecodeText(const uint8_t* bytes, size_t size, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(reinterpret_cast<const char*>(bytes), qsizetype(size));
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), bytes, (size / 2) * sizeof(QChar)); // the bytes may be unaligned
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QLocale& locale = Locales().at(data[0] % Locales().size());
    const bool utf16 = (data[1] & 1) != 0;
    const uint8_t* payload = data + 2;
    const size_t payloadSize = size - 2;

    // The Calculate command's own flow: three fields, all numeric, then the
    // calculation. Fields past the third are checked alone.
    const QStringList fields = DecodeText(payload, payloadSize, utf16).split(QLatin1Char('|'));
    double values[3] = {};
    bool allNumeric = true;
    for (qsizetype i = 0; i < std::max<qsizetype>(3, fields.size()); ++i) {
        const double value = CheckText(i < fields.size() ? fields.at(i) : QString(), locale);
        if (i < 3) {
            values[i] = value;
            allNumeric = allNumeric && std::isfinite(value);
        }
    }
    if (allNumeric)
        CheckCalculation({values[0], values[1], values[2]}, locale);

    if (payloadSize >= 3 * sizeof(double)) {
        double raw[3];
        std::memcpy(raw, payload, sizeof raw);
        for (double value : raw) {
            if (std::isfinite(value))
                CheckFormat(value, locale);
        }
        CheckCalculation({raw[0], raw[1], raw[2]}, locale);
    }
    return 0;
}
