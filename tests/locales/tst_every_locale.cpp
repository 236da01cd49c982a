// Walks every locale Qt knows and checks that the price text functions read
// and show prices soundly in each: the worked-example prices with four
// decimals and the locale's symbol, the locale's own rendering of a number
// read back to the same binary64, plain decimal numbers typed with its
// separator, and look-alikes of its grouping character never misread.
//
// Where a locale's own rendering cannot be read back as it stands:
// - Its scientific notation, where the exponent symbol is "×10^", "·10^" or
//   an Arabic abbreviation, is typography a clerk never types; prices are
//   written out. The sound demand is that the same number with the E that the
//   clerk types reads back, and that the locale's own form is never misread.
// - A grouping character a clerk cannot type (U+2019, U+202F, U+066C...) is
//   optional: the ungrouped number always reads back, and a typed look-alike
//   (an apostrophe, a plain space, a comma) is either refused or read as the
//   same number, never as another one.
// - The invisible bidirectional marks (U+061C, U+200E, U+200F) that some
//   locales put around their signs carry no value, and come along when a
//   clerk copies a number from another program, so the number must still read
//   back (Qt 6.4's parser refuses them; the price text conversion drops them).

#include <QTest>

#include <bit>
#include <cmath>

#include "calc/price_text.h"
#include "tests/fuzz/shown_amount.h"

using namespace torvel;
using torvel::testing::ReadShownAmount;

namespace {

QString RowName(const QLocale& locale)
{
    return QLocale::languageToCode(locale.language()) + u'_'
        + QLocale::scriptToCode(locale.script()) + u'_'
        + QLocale::territoryToCode(locale.territory());
}

// The text with ASCII digits replaced by the locale's own digits.
QString InLocaleDigits(const QString& ascii, const QLocale& locale)
{
    const char32_t zero = locale.zeroDigit().toUcs4().at(0);
    QString text;
    for (QChar c : ascii) {
        if (c.isDigit()) {
            const char32_t digit = zero + char32_t(c.unicode() - u'0');
            text += QString::fromUcs4(&digit, 1);
        } else {
            text += c;
        }
    }
    return text;
}

// Reads the text and says whether it gave exactly the expected binary64.
bool ReadsBackAs(const QString& text, const QLocale& locale, double expected)
{
    const double value = TextToNumber(text, locale);
    return IsNumericText(text, locale) && std::bit_cast<quint64>(value) == std::bit_cast<quint64>(expected);
}

QByteArray Describe(const QString& text, double expected, const QLocale& locale)
{
    return QStringLiteral("[%1] in %2 gave %3 (numeric: %4), expected %5")
        .arg(text, locale.name())
        .arg(TextToNumber(text, locale), 0, 'g', 17)
        .arg(IsNumericText(text, locale) ? "yes" : "no")
        .arg(expected, 0, 'g', 17)
        .toUtf8();
}


} // namespace

class TestEveryLocale : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void workedExamplePrices_data() { addLocaleRows(); }
    void workedExamplePrices();
    void ownRenderingReadsBack_data() { addLocaleRows(); }
    void ownRenderingReadsBack();
    void plainDecimalNumbers_data() { addLocaleRows(); }
    void plainDecimalNumbers();
    void groupingLookalikesNeverMisread_data() { addLocaleRows(); }
    void groupingLookalikesNeverMisread();

private:
    void addLocaleRows();

    QList<QLocale> m_locales;
};

void TestEveryLocale::initTestCase()
{
    m_locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    // Qt 6.4 knows over six hundred; a handful would mean the walk is broken.
    QVERIFY2(m_locales.size() > 300, QByteArray::number(m_locales.size()));
    qInfo("checking %lld locales", static_cast<long long>(m_locales.size()));
}

void TestEveryLocale::addLocaleRows()
{
    QTest::addColumn<QLocale>("locale");
    for (const QLocale& locale : std::as_const(m_locales))
        QTest::newRow(qPrintable(RowName(locale))) << locale;
}

void TestEveryLocale::workedExamplePrices()
{
    QFETCH(QLocale, locale);

    struct Price {
        double value;
        const char* shown;
    };
    // The six prices of butter 1.4, cheese 1.7, powder 1.2, and a negative one
    // from the all-zero example, with their digits rounded to four decimals.
    const Price prices[] = {
        {1.4557200000000001, "1.4557"},  {1.0302, "1.0302"},
        {14.057760000000002, "14.0578"}, {1.1589547760314938, "1.1590"},
        {15.177926551473995, "15.1779"}, {-2.2622400000000003, "2.2622"},
    };
    const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);

    for (const Price& price : prices) {
        const QString text = FormatPrice(price.value, locale);
        const auto amount = ReadShownAmount(text, locale);
        const QByteArray context = text.toUtf8() + " for " + QByteArray::number(price.value, 'g', 17);
        QVERIFY2(amount, "no decimal separator between digits: " + context);
        QVERIFY2(amount->fraction.size() == 4, "not four decimals: " + context);
        QVERIFY2(amount->plain() == price.shown, "digits are not " + QByteArray(price.shown) + ": " + context);
        // Locales with no currency of their own (C, the world regions) show
        // the bare amount.
        if (!symbol.isEmpty())
            QVERIFY2(text.contains(symbol), "no " + symbol.toUtf8() + ": " + context);
        if (price.value < 0)
            QVERIFY2(text != FormatPrice(-price.value, locale), "negative shown as positive: " + context);
    }
}

void TestEveryLocale::ownRenderingReadsBack()
{
    QFETCH(QLocale, locale);

    const double values[] = {
        1.4, 1.7, 1.2, 0.0, 1.4557200000000001, 15.177926551473995, 0.1,
        1234567.891,  // grouped in most locales
        1e38,         // thirty-nine grouped digits
        4.9e-324,     // the smallest subnormal
        -0.5, -2.2622400000000003, -98765.4321,
    };
    const QString exponent = locale.exponential();

    for (double value : values) {
        const QString written = locale.toString(value, 'f', QLocale::FloatingPointShortest);
        QVERIFY2(ReadsBackAs(written, locale, value), Describe(written, value, locale));

        const QString scientific = locale.toString(value, 'e', QLocale::FloatingPointShortest);
        QString typed = scientific;
        typed.replace(exponent, QStringLiteral("E"));
        QVERIFY2(ReadsBackAs(typed, locale, value), Describe(typed, value, locale));

        const bool refused = !IsNumericText(scientific, locale);
        QVERIFY2(refused || ReadsBackAs(scientific, locale, value), Describe(scientific, value, locale));
    }
}

void TestEveryLocale::plainDecimalNumbers()
{
    QFETCH(QLocale, locale);

    struct Plain {
        const char* text; // '.' stands for the locale's decimal separator
        double value;
    };
    const Plain numbers[] = {
        {"1.4", 1.4},   {"  1.4  ", 1.4}, {"+1.4", 1.4},  {"-0.5", -0.5},  {".5", 0.5},
        {"1.", 1.0},    {"0", 0.0},       {"1E2", 100.0}, {"1E+2", 100.0}, {"-1.5E2", -150.0},
        {"1e2", 100.0}, {"1.4e-2", 0.014},
    };

    for (const Plain& number : numbers) {
        QString ascii = QString::fromLatin1(number.text);
        ascii.replace(u'.', locale.decimalPoint());
        for (const QString& text : {ascii, InLocaleDigits(ascii, locale)}) {
            QVERIFY2(ReadsBackAs(text, locale, number.value), Describe(text, number.value, locale));
        }
    }
}

void TestEveryLocale::groupingLookalikesNeverMisread()
{
    QFETCH(QLocale, locale);

    const QString group = locale.groupSeparator();
    const QStringList lookalikes = {" ", "'", ",", ".", ""};
    for (double value : {1234567.891, 1234.5}) {
        const QString written = locale.toString(value, 'f', QLocale::FloatingPointShortest);
        QString ungrouped = written;
        ungrouped.remove(group);
        QVERIFY2(ReadsBackAs(ungrouped, locale, value), Describe(ungrouped, value, locale));

        for (const QString& lookalike : lookalikes) {
            QString typed = written;
            typed.replace(group, lookalike);
            const bool refused = !IsNumericText(typed, locale);
            QVERIFY2(refused || ReadsBackAs(typed, locale, value), Describe(typed, value, locale));
        }
    }
}

QTEST_GUILESS_MAIN(TestEveryLocale)
#include "tst_every_locale.moc"
