#include <QTest>

#include <variant>

#include "calc/class_prices.h"
#include "calc/price_text.h"
#include "report/price_report.h"
#include "tests/support/expected_report.h"
#include "tests/support/print_and_wait.h"
#include "tests/support/recording_line_printer.h"

using namespace torvel;

Q_DECLARE_METATYPE(PriceReportTexts)

namespace {

const QLocale kEnUs(QLocale::English, QLocale::UnitedStates);
const QLocale kDeDe(QLocale::German, QLocale::Germany);

// The texts the window shows after calculating butter 1.4, cheese 1.7 and
// powder 1.2 in the given locale, formatted by the program's own formatter.
PriceReportTexts Calculated(const QString& butter, const QString& cheese, const QString& powder,
                            const QLocale& locale)
{
    const ClassPriceResult result = CalculateClassPrices(
        {TextToNumber(butter, locale), TextToNumber(cheese, locale), TextToNumber(powder, locale)});
    const auto& p = std::get<ClassPrices>(result);
    return {butter, cheese, powder,
            FormatPrice(p.Class4AFat, locale), FormatPrice(p.Class4ASnf, locale), FormatPrice(p.Class4ACwt, locale),
            FormatPrice(p.Class4BFat, locale), FormatPrice(p.Class4BSnf, locale), FormatPrice(p.Class4BCwt, locale)};
}

// What the window shows when prices were typed but not yet calculated.
PriceReportTexts InputsOnly(const QString& butter, const QString& cheese, const QString& powder)
{
    PriceReportTexts texts;
    texts.butter = butter;
    texts.cheese = cheese;
    texts.powder = powder;
    return texts;
}

} // namespace

class TestPriceReport : public QObject {
    Q_OBJECT

private slots:
    void printsTheLines_data();
    void printsTheLines();
    void printingTwicePrintsTheSameLines();
    void failureReachesTheCaller();
};

void TestPriceReport::printsTheLines_data()
{
    QTest::addColumn<PriceReportTexts>("texts");
    QTest::addColumn<QStringList>("ends"); // what follows each line's literal

    QTest::newRow("after calculating 1.4, 1.7, 1.2 in en_US")
        << Calculated("1.4", "1.7", "1.2", kEnUs)
        << QStringList{"1.4", "1.7", "1.2", "$1.4557", "$1.0302", "$14.0578", "$1.4557", "$1.1590", "$15.1779"};

    QTest::newRow("right after start-up: every field empty")
        << PriceReportTexts{} << QStringList(9, QString());

    QTest::newRow("butter typed as $1.40 prints as $$1.40")
        << InputsOnly("$1.40", "1.7", "1.2")
        << QStringList{"$1.40", "1.7", "1.2", "", "", "", "", "", ""};

    // Qt's German currency form: amount, no-break space, euro sign.
    const QString nbsp(QChar(0x00A0));
    QTest::newRow("de_DE: class lines in euro, input lines keep the dollar sign")
        << Calculated("1,4", "1,7", "1,2", kDeDe)
        << QStringList{"1,4", "1,7", "1,2",
                       "1,4557" + nbsp + "€", "1,0302" + nbsp + "€", "14,0578" + nbsp + "€",
                       "1,4557" + nbsp + "€", "1,1590" + nbsp + "€", "15,1779" + nbsp + "€"};

    QTest::newRow("inputs changed after the calculation print as they stand")
        << PriceReportTexts{"abc", "", "  2", "$1.4557", "$1.0302", "$14.0578", "$1.4557", "$1.1590", "$15.1779"}
        << QStringList{"abc", "", "  2", "$1.4557", "$1.0302", "$14.0578", "$1.4557", "$1.1590", "$15.1779"};
}

void TestPriceReport::printsTheLines()
{
    QFETCH(PriceReportTexts, texts);
    QFETCH(QStringList, ends);

    RecordingLinePrinter printer;
    QCOMPARE(PrintAndWait(printer, texts), PrintOutcome{});
    QCOMPARE(printer.calls, ExpectedCalls(ends));
}

void TestPriceReport::printingTwicePrintsTheSameLines()
{
    const PriceReportTexts texts = Calculated("1.4", "1.7", "1.2", kEnUs);
    RecordingLinePrinter printer;

    QCOMPARE(PrintAndWait(printer, texts), PrintOutcome{});
    const QStringList first = printer.calls;
    printer.calls.clear();
    QCOMPARE(PrintAndWait(printer, texts), PrintOutcome{});

    QCOMPARE(printer.calls, first);
    QCOMPARE(first.count(QStringLiteral("end")), 1);
}

void TestPriceReport::failureReachesTheCaller()
{
    // State: a printer whose document cannot be sent.
    RecordingLinePrinter printer;
    printer.failure = QStringLiteral("No default printer is set up.");

    // Action: print the report.
    const PrintOutcome outcome = PrintAndWait(printer, PriceReportTexts{});

    // Expected: failure, with the printer's reason.
    QCOMPARE(outcome, (PrintOutcome{PrintOutcome::End::Failed, QStringLiteral("No default printer is set up.")}));
    QCOMPARE(printer.calls.last(), QStringLiteral("end"));
}

QTEST_GUILESS_MAIN(TestPriceReport)
#include "tst_price_report.moc"
