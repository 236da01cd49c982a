#include <QTest>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>

#include "platform/qt_line_printer.h"
#include "report/price_report.h"
#include "tests/support/pdf_page.h"

using namespace torvel;

// The line printer against a private CUPS scheduler, or a stand-in for one,
// that cups_no_printer.sh and cups_print_end_to_end.sh set up for each case
// in turn and run one function for, by name, with what to expect in the
// environment: these cases need a print service in a given state.
class TestDefaultPrinter : public QObject {
    Q_OBJECT

private slots:
    void tellsTheOutcomeInTime();
    void landsAtThePrintableAreasTopLeft();
};

// TORVEL_EXPECT_PRINTED (1 or 0) and TORVEL_EXPECT_MESSAGE say how the
// report must end: printed or not, and what the clerk is told.
void TestDefaultPrinter::tellsTheOutcomeInTime()
{
    const bool expectPrinted = qEnvironmentVariableIntValue("TORVEL_EXPECT_PRINTED") == 1;
    const QString expectMessage = qEnvironmentVariable("TORVEL_EXPECT_MESSAGE");

    QtLinePrinter printer;
    QString message;
    QElapsedTimer clock;
    clock.start();
    const bool printed = PrintPriceReport(printer, kTexts, message);
    const qint64 held = clock.elapsed();

    qInfo("after %lld ms: %s \"%s\"", held, printed ? "printed" : "not printed", qPrintable(message));
    QCOMPARE(printed, expectPrinted);
    QCOMPARE(message, expectMessage);
    // However the service fails, the caller is held for seconds, not minutes.
    QVERIFY2(held < 15000, qPrintable(QStringLiteral("held for %1 ms").arg(held)));
    // The busy cursor shown while waiting is gone again, whatever the outcome.
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

// Prints on the default queue, which writes its PDFs into TORVEL_PDF_DIR and
// declares the margins TORVEL_MARGINS ("left top right bottom", in points);
// the report must start at their top-left corner, unmoved by the service.
void TestDefaultPrinter::landsAtThePrintableAreasTopLeft()
{
    const QDir out(qEnvironmentVariable("TORVEL_PDF_DIR"));
    const QStringList margins = qEnvironmentVariable("TORVEL_MARGINS").split(u' ');
    QCOMPARE(margins.size(), 4);
    QVERIFY(out.exists());

    QtLinePrinter printer;
    QString message;
    QVERIFY2(PrintPriceReport(printer, kTexts, message), qPrintable(message));
    QVERIFY2(message.isEmpty(), qPrintable(message));

    QTRY_COMPARE_WITH_TIMEOUT(out.entryList({"*.pdf"}, QDir::Files).size(), 1, 60000);
    const QString pdf = out.filePath(out.entryList({"*.pdf"}, QDir::Files).first());
    // Only the printable area's top-left corner matters here, so any paper does.
    const QPageLayout page(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                           QMarginsF(margins[0].toDouble(), margins[1].toDouble(), margins[2].toDouble(),
                                     margins[3].toDouble()),
                           QPageLayout::Point);
    // The service's filters rewrite the page and may round its positions.
    // They also embed the font anew, with a glyph box whose top stands 2 pt
    // off Qt's, which moves pdftotext's word tops; a default margin (10 pt)
    // or a wrong side's margin is still far outside.
    QString off;
    QTRY_VERIFY2_WITH_TIMEOUT((off = OffTheOrigin(pdf, page, 0.5, 3.0)).isEmpty(), qPrintable(off), 10000);
}

QTEST_MAIN(TestDefaultPrinter)
#include "tst_default_printer.moc"
