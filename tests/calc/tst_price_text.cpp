#include <QTest>

#include <cmath>

#include <QOperatingSystemVersion>

#include "calc/currency_format.h"
#include "calc/price_text.h"

using namespace torvel;

Q_DECLARE_METATYPE(torvel::CurrencyFormat)

namespace {

const QLocale kEnUs(QLocale::English, QLocale::UnitedStates);
const QLocale kDeDe(QLocale::German, QLocale::Germany);
const QLocale kFrFr(QLocale::French, QLocale::France);

// Qt's currency forms put a no-break space between amount and symbol, and
// French groups digits with a narrow no-break space.
const QString kNbsp(QChar(0x00A0));
const QString kNarrowNbsp(QChar(0x202F));

const double kNotNumeric = std::nan("");

} // namespace

class TestPriceText : public QObject {
    Q_OBJECT

private slots:
    void numericText_data();
    void numericText();
    void hostileText_data();
    void hostileText();
    void formatPrice_data();
    void formatPrice();
    void formatPriceVeryLarge();
    void defaultLocaleFollowsTheUser();
    void regionalSettings_data();
    void regionalSettings();
    void windowsCurrencyFormat_data();
    void windowsCurrencyFormat();
};

void TestPriceText::numericText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value"); // NaN: not numeric

    QTest::newRow("en_US 1.4") << kEnUs << "1.4" << 1.4;
    QTest::newRow("en_US 1.4 between spaces") << kEnUs << "  1.4  " << 1.4;
    QTest::newRow("en_US +1.4") << kEnUs << "+1.4" << 1.4;
    QTest::newRow("en_US -0.5") << kEnUs << "-0.5" << -0.5;
    QTest::newRow("en_US .5") << kEnUs << ".5" << 0.5;
    QTest::newRow("en_US 1.") << kEnUs << "1." << 1.0;
    QTest::newRow("en_US 1E2") << kEnUs << "1E2" << 100.0;
    QTest::newRow("en_US 1e-310, subnormal") << kEnUs << "1e-310" << 1e-310;
    QTest::newRow("en_US grouped 1,400.5") << kEnUs << "1,400.5" << 1400.5;
    QTest::newRow("en_US pasted cell with tab and newline") << kEnUs << "1.4\t\n" << 1.4;
    QTest::newRow("en_US empty") << kEnUs << "" << kNotNumeric;
    QTest::newRow("en_US spaces only") << kEnUs << "   " << kNotNumeric;
    QTest::newRow("en_US xyz") << kEnUs << "xyz" << kNotNumeric;
    QTest::newRow("en_US 1.4x") << kEnUs << "1.4x" << kNotNumeric;
    QTest::newRow("en_US 1E400 overflows") << kEnUs << "1E400" << kNotNumeric;
    QTest::newRow("en_US -1E400 overflows") << kEnUs << "-1E400" << kNotNumeric;
    QTest::newRow("en_US 1E-400 underflows") << kEnUs << "1E-400" << kNotNumeric;
    QTest::newRow("en_US inf") << kEnUs << "inf" << kNotNumeric;
    QTest::newRow("en_US -inf") << kEnUs << "-inf" << kNotNumeric;
    QTest::newRow("en_US nan") << kEnUs << "nan" << kNotNumeric;
    QTest::newRow("en_US decimal comma 1,4") << kEnUs << "1,4" << kNotNumeric;
    QTest::newRow("en_US currency $1.40") << kEnUs << "$1.40" << kNotNumeric;
    QTest::newRow("en_US two points") << kEnUs << "1.4.5" << kNotNumeric;
    QTest::newRow("en_US hex") << kEnUs << "0x10" << kNotNumeric;
    // Grouping is read only where the locale itself groups.
    QTest::newRow("en_US misplaced group 1,23,456.5") << kEnUs << "1,23,456.5" << kNotNumeric;
    QTest::newRow("en_US leading group too long 1234,567.5") << kEnUs << "1234,567.5" << kNotNumeric;
    QTest::newRow("en_US no groups among the decimals") << kEnUs << "1.234,5" << kNotNumeric;
    QTest::newRow("en_US space is no group separator") << kEnUs << "1 400.5" << kNotNumeric;
    QTest::newRow("en_US grouping refused by option") << [] {
        QLocale locale = kEnUs;
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        return locale;
    }() << "1,400.5" << kNotNumeric;
    QTest::newRow("hi_IN lakh grouping") << QLocale(QLocale::Hindi, QLocale::India) << "12,34,567.5" << 1234567.5;
    QTest::newRow("hi_IN thousands grouping refused") << QLocale(QLocale::Hindi, QLocale::India) << "1,234,567.5"
                                                      << kNotNumeric;
    // Spanish writes 1234 ungrouped, but a clerk who groups it is understood.
    QTest::newRow("es_ES grouped four digits") << QLocale(QLocale::Spanish, QLocale::Spain) << "1.234,5" << 1234.5;
    QTest::newRow("en_US invisible direction marks") << kEnUs << QString(QChar(0x200E)) + "-1.5" + QChar(0x200F) << -1.5;

    QTest::newRow("sv_SE lower-case exponent") << QLocale(QLocale::Swedish, QLocale::Sweden) << "1,4e2" << 140.0;
    QTest::newRow("ar_EG own negative with its letter mark")
        << QLocale(QLocale::Arabic, QLocale::Egypt) << QLocale(QLocale::Arabic, QLocale::Egypt).toString(-1.5) << -1.5;

    QTest::newRow("de_DE 1,4") << kDeDe << "1,4" << 1.4;
    QTest::newRow("de_DE -0,5") << kDeDe << "-0,5" << -0.5;
    QTest::newRow("de_DE ,5") << kDeDe << ",5" << 0.5;
    QTest::newRow("de_DE 1,4E2") << kDeDe << "1,4E2" << 140.0;
    QTest::newRow("de_DE grouped 1.400,5") << kDeDe << "1.400,5" << 1400.5;
    // A point is a group separator here; 1.4 is no valid grouping, so it is
    // refused rather than silently read as 14.
    QTest::newRow("de_DE 1.4 refused") << kDeDe << "1.4" << kNotNumeric;
    QTest::newRow("de_DE inf") << kDeDe << "inf" << kNotNumeric;

    QTest::newRow("fr_FR 1,4") << kFrFr << "1,4" << 1.4;
    QTest::newRow("fr_FR grouped with a plain space") << kFrFr << "1 400,5" << 1400.5;
    QTest::newRow("fr_FR grouped with its own separator") << kFrFr << QString("1" + kNarrowNbsp + "400,5") << 1400.5;
    QTest::newRow("fr_FR 1.4 refused") << kFrFr << "1.4" << kNotNumeric;
}

void TestPriceText::numericText()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(double, value);

    QCOMPARE(IsNumericText(text, locale), !std::isnan(value));
    const double converted = TextToNumber(text, locale);
    if (std::isnan(value))
        QVERIFY2(std::isnan(converted), "TextToNumber must not convert a text IsNumericText refuses");
    else
        QCOMPARE(converted, value);
}

void TestPriceText::hostileText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("1 MB of digits overflows") << QString(1 << 20, QLatin1Char('1')) << kNotNumeric;
    QTest::newRow("1 MB of leading zeros") << QString(1 << 20, QLatin1Char('0')) + "1.5" << 1.5;
    QTest::newRow("1 MB of decimals") << "0." + QString(1 << 20, QLatin1Char('5')) << 0.5555555555555556;
    QTest::newRow("a thousand minus signs") << QString(1000, QLatin1Char('-')) + "1" << kNotNumeric;
    QTest::newRow("a thousand plus signs") << QString(1000, QLatin1Char('+')) + "1" << kNotNumeric;
    QTest::newRow("embedded NUL") << QString::fromUtf8("1.4\0" "5", 5) << kNotNumeric;
    QTest::newRow("NUL alone") << QString(QChar(0)) << kNotNumeric;
    QTest::newRow("unpaired high surrogate") << "1.4" + QString(QChar(0xD800)) << kNotNumeric;
    QTest::newRow("unpaired low surrogate first") << QString(QChar(0xDC00)) + "1.4" << kNotNumeric;
    QTest::newRow("exponent of a million digits") << "1e" + QString(1000000, QLatin1Char('9')) << kNotNumeric;
}

void TestPriceText::hostileText()
{
    QFETCH(QString, text);
    QFETCH(double, value);

    QCOMPARE(IsNumericText(text, kEnUs), !std::isnan(value));
    const double converted = TextToNumber(text, kEnUs);
    if (std::isnan(value))
        QVERIFY(std::isnan(converted));
    else
        QCOMPARE(converted, value);
}

void TestPriceText::formatPrice_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("expected");

    QTest::newRow("en_US 4A FAT") << kEnUs << 1.4557200000000001 << "$1.4557";
    QTest::newRow("en_US 4A SNF") << kEnUs << 1.0302 << "$1.0302";
    QTest::newRow("en_US 4A cwt rounds up") << kEnUs << 14.057760000000002 << "$14.0578";
    QTest::newRow("en_US 4B SNF") << kEnUs << 1.1589547760314938 << "$1.1590";
    QTest::newRow("en_US whole amount") << kEnUs << 2.0 << "$2.0000";
    QTest::newRow("en_US grouping") << kEnUs << 1234567.891 << "$1,234,567.8910";
    // The exact binary64 value lies below the decimal tie 14.07255.
    QTest::newRow("en_US exact value decides a near tie") << kEnUs << 14.07255 << "$14.0725";
    QTest::newRow("en_US negative in its own form") << kEnUs << -2.2622400000000003 << "($2.2622)";
    QTest::newRow("en_US negative that rounds to zero") << kEnUs << -0.00004 << "$0.0000";
    QTest::newRow("en_US negative zero") << kEnUs << -0.0 << "$0.0000";
    QTest::newRow("en_US smallest negative shown") << kEnUs << -0.00006 << "($0.0001)";

    QTest::newRow("de_DE symbol after") << kDeDe << 1.4557200000000001 << QString("1,4557" + kNbsp + "€");
    QTest::newRow("de_DE grouping") << kDeDe << 14057.76 << QString("14.057,7600" + kNbsp + "€");
    QTest::newRow("de_DE negative") << kDeDe << -0.22428 << QString("-0,2243" + kNbsp + "€");
    QTest::newRow("de_DE negative that rounds to zero") << kDeDe << -0.00001 << QString("0,0000" + kNbsp + "€");
    QTest::newRow("fr_FR negative") << kFrFr << -1234.5 << QString("(1" + kNarrowNbsp + "234,5000" + kNbsp + "€)");

    // The C locale has no currency symbol; the amount itself still shows.
    QTest::newRow("C locale") << QLocale::c() << 1.4557200000000001 << "1.4557";
    QTest::newRow("C locale negative") << QLocale::c() << -2.2622400000000003 << "-2.2622";
}

void TestPriceText::formatPrice()
{
    QFETCH(QLocale, locale);
    QFETCH(double, amount);
    QFETCH(QString, expected);

    QCOMPARE(FormatPrice(amount, locale), expected);
    // The plain amount has the digits of the shown price, and its sign; the
    // C locale shows a price without symbol or grouping.
    QCOMPARE(PriceAmount(amount), FormatPrice(amount, QLocale::c()));
}

// Amounts are never abbreviated or put in scientific notation: a clerk reads
// every digit, grouped as the locale groups them.
void TestPriceText::formatPriceVeryLarge()
{
    QCOMPARE(FormatPrice(1e20, kEnUs), QString("$100,000,000,000,000,000,000.0000"));

    const QString largest = FormatPrice(-1.7976931348623157e308, kEnUs);
    QVERIFY2(largest.startsWith("($179,769,313,486,231,570,"), qPrintable(largest));
    QVERIFY2(largest.endsWith(",368.0000)"), qPrintable(largest));
    QCOMPARE(largest.count(QLatin1Char(',')), 102); // 309 digits in groups of three
}

void TestPriceText::defaultLocaleFollowsTheUser()
{
    const QLocale previous;
    QLocale::setDefault(kDeDe);
    const bool numeric = IsNumericText("1,4");
    const QString shown = FormatPrice(1.4557200000000001);
    QLocale::setDefault(previous);

    QVERIFY(numeric);
    QCOMPARE(shown, QString("1,4557" + kNbsp + "€"));
}

// Reading follows the numeric setting and money the monetary one, each as
// POSIX orders the variables: LC_ALL, then the category's own, then LANG.
void TestPriceText::regionalSettings_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMonetary");
    QTest::addColumn<QByteArray>("lcNumeric");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<bool>("commaIsDecimal"); // whether "1,4" reads as 1.4
    QTest::addColumn<QString>("shown");       // 1.45572
    QTest::addColumn<QString>("shownNegative"); // -0.22428

    const QString euroAfter = kNbsp + "€";
    const QByteArray enUs("en_US.UTF-8");
    const QByteArray deDe("de_DE.UTF-8");
    const QByteArray frFr("fr_FR.UTF-8");
    QTest::newRow("LANG=en_US alone") << QByteArray() << QByteArray() << QByteArray() << enUs << false << "$1.4557"
                                      << "($0.2243)";
    QTest::newRow("LANG=de_DE alone") << QByteArray() << QByteArray() << QByteArray() << deDe << true
                                      << "1,4557" + euroAfter << "-0,2243" + euroAfter;
    QTest::newRow("LANG=en_US, LC_MONETARY=de_DE: German money, US numbers")
        << QByteArray() << deDe << QByteArray() << enUs << false << "1,4557" + euroAfter << "-0,2243" + euroAfter;
    QTest::newRow("LANG=en_US, LC_NUMERIC=de_DE: US money, German numbers")
        << QByteArray() << QByteArray() << deDe << enUs << true << "$1.4557" << "($0.2243)";
    QTest::newRow("LANG=de_DE, LC_MONETARY=fr_FR, LC_NUMERIC=en_US")
        << QByteArray() << frFr << enUs << deDe << false << "1,4557" + euroAfter << "(0,2243" + euroAfter + ")";
    QTest::newRow("LC_ALL=de_DE over LC_MONETARY and LC_NUMERIC=en_US")
        << deDe << enUs << enUs << enUs << true << "1,4557" + euroAfter << "-0,2243" + euroAfter;
    QTest::newRow("LC_ALL=en_US over LANG=de_DE") << enUs << QByteArray() << QByteArray() << deDe << false
                                                  << "$1.4557" << "($0.2243)";
    QTest::newRow("LANG=C") << QByteArray() << QByteArray() << QByteArray() << QByteArray("C") << false << "1.4557"
                            << "-0.2243";
    QTest::newRow("nothing set: the C locale") << QByteArray() << QByteArray() << QByteArray() << QByteArray()
                                               << false << "1.4557" << "-0.2243";
}

void TestPriceText::regionalSettings()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMonetary);
    QFETCH(QByteArray, lcNumeric);
    QFETCH(QByteArray, lang);
    QFETCH(bool, commaIsDecimal);
    QFETCH(QString, shown);
    QFETCH(QString, shownNegative);
    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        QSKIP("Windows takes the regional settings from the Region settings, not the environment");
    // Empty variables count as unset, as CTest's LC_ALL= shows.
    const std::pair<const char*, QByteArray> environment[] = {
        {"LC_ALL", lcAll}, {"LC_MONETARY", lcMonetary}, {"LC_NUMERIC", lcNumeric}, {"LANG", lang}};
    for (const auto& [name, value] : environment)
        qputenv(name, value);
    // No locale chosen by the program: the environment decides.
    QLocale::setDefault(QLocale::system());

    QCOMPARE(FormatPrice(1.4557200000000001), shown);
    QCOMPARE(FormatPrice(-0.22428), shownNegative);
    QCOMPARE(IsNumericText("1,4"), commaIsDecimal);
    if (commaIsDecimal)
        QCOMPARE(TextToNumber("1,4"), 1.4);
    else
        QCOMPARE(TextToNumber("1.4"), 1.4);
}

// Windows' currency parts, put together as GetCurrencyFormatEx does, with
// every decimal of the amount kept.
void TestPriceText::windowsCurrencyFormat_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<CurrencyFormat>("format");
    QTest::addColumn<QString>("shown");

    const CurrencyFormat us;
    CurrencyFormat german;
    german.symbol = "€";
    german.decimalSeparator = ",";
    german.groupSeparator = ".";
    german.positiveOrder = 3;
    german.negativeOrder = 8;
    QTest::newRow("en-US") << "1234567.4557" << us << "$1,234,567.4557";
    QTest::newRow("en-US negative: parentheses") << "-1234.4557" << us << "($1,234.4557)";
    QTest::newRow("de-DE") << "1.4557" << german << "1,4557 €";
    QTest::newRow("de-DE negative: -1,1 €") << "-1234.4557" << german << "-1.234,4557 €";
    CurrencyFormat clerk = us; // overrides made in the Region settings
    clerk.symbol = "USD";
    clerk.decimalSeparator = "#";
    clerk.groupSeparator = "'";
    clerk.negativeSign = "~";
    // Every iNegCurr order, each with Windows' own form of it for $ and 1.1.
    struct NegativeOrder {
        int order;
        const char* windows;
        const char* shown;
    };
    const NegativeOrder negativeOrders[] = {
        {0, "($1.1)", "(USD1'234#4557)"},   {1, "-$1.1", "~USD1'234#4557"},    {2, "$-1.1", "USD~1'234#4557"},
        {3, "$1.1-", "USD1'234#4557~"},     {4, "(1.1$)", "(1'234#4557USD)"},  {5, "-1.1$", "~1'234#4557USD"},
        {6, "1.1-$", "1'234#4557~USD"},     {7, "1.1$-", "1'234#4557USD~"},    {8, "-1.1 $", "~1'234#4557 USD"},
        {9, "-$ 1.1", "~USD 1'234#4557"},   {10, "1.1 $-", "1'234#4557 USD~"}, {11, "$ 1.1-", "USD 1'234#4557~"},
        {12, "$ -1.1", "USD ~1'234#4557"},  {13, "1.1- $", "1'234#4557~ USD"}, {14, "($ 1.1)", "(USD 1'234#4557)"},
        {15, "(1.1 $)", "(1'234#4557 USD)"},
    };
    for (const NegativeOrder& row : negativeOrders) {
        CurrencyFormat format = clerk;
        format.negativeOrder = row.order;
        QTest::addRow("negative order %d, %s", row.order, row.windows) << "-1234.4557" << format << QString(row.shown);
    }
    // Each sMonGrouping size counts from the right; a last 0 repeats the size
    // before it, and without one the digits left over stay together. The
    // amounts are long enough to show where a grouping stops repeating; the
    // 13-digit rows are Microsoft's own LOCALE_SGROUPING examples.
    const std::pair<const char*, const char*> groupings[] = {
        {"3;0", "$3,000,000,000,000.0000"}, {"3;2;0", "$30,00,00,00,00,000.0000"}, {"3", "$3000000000,000.0000"},
        {"3;2", "$30000000,00,000.0000"},   {"0", "$3000000000000.0000"},
    };
    for (const auto& [grouping, shown] : groupings) {
        CurrencyFormat format = us;
        format.grouping = ParseGrouping(QString::fromLatin1(grouping));
        QTest::addRow("grouping %s, 13 digits", grouping) << "3000000000000.0000" << format << QString(shown);
    }
    CurrencyFormat indian = us;
    indian.grouping = ParseGrouping("3;2;0");
    QTest::newRow("grouping 3;2;0, 7 digits") << "1234567.5000" << indian << "$12,34,567.5000";
    QTest::newRow("grouping 3;2;0, 8 digits") << "12345678.0000" << indian << "$1,23,45,678.0000";
    QTest::newRow("grouping 3;2;0, negative 9 digits") << "-123456789.0000" << indian << "($12,34,56,789.0000)";
    CurrencyFormat once = us;
    once.grouping = ParseGrouping("3");
    QTest::newRow("grouping 3: the rest whole") << "1234567.5000" << once << "$1234,567.5000";
    CurrencyFormat none = us;
    none.grouping = ParseGrouping("0");
    QTest::newRow("grouping 0: none") << "1234567.5000" << none << "$1234567.5000";
    CurrencyFormat noLeadingZero = us;
    noLeadingZero.leadingZero = false;
    QTest::newRow("no leading zero") << "0.4557" << noLeadingZero << "$.4557";
}

void TestPriceText::windowsCurrencyFormat()
{
    QFETCH(QString, plain);
    QFETCH(CurrencyFormat, format);
    QFETCH(QString, shown);
    QCOMPARE(FormatCurrency(plain, format), shown);
}

QTEST_GUILESS_MAIN(TestPriceText)
#include "tst_price_text.moc"
