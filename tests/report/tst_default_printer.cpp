#include <QTest>

#include "platform/qt_line_printer.h"
#include "report/price_report.h"

using namespace torvel;

// The line printer against a private CUPS scheduler that cups_no_printer.sh
// sets up for each function in turn (it runs them one at a time, by name):
// these cases need a scheduler in a given state and cannot run on their own.
class TestDefaultPrinter : public QObject {
    Q_OBJECT

private slots:
    void schedulerWithoutDestinations();
    void queueRefusingJobs();
};

void TestDefaultPrinter::schedulerWithoutDestinations()
{
    QtLinePrinter printer;
    QString reason;
    QVERIFY(!PrintPriceReport(printer, PriceReportTexts{}, reason));
    QCOMPARE(reason, QStringLiteral("No default printer is set up."));
}

void TestDefaultPrinter::queueRefusingJobs()
{
    // The scheduler answers, but the default queue does not accept jobs: the
    // page must not pass for printed.
    QtLinePrinter printer;
    QString reason;
    QVERIFY(!PrintPriceReport(printer, PriceReportTexts{}, reason));
    QVERIFY2(reason.startsWith(QStringLiteral("The print job could not be started. ")), qPrintable(reason));
    QVERIFY2(reason.endsWith(u'.'), qPrintable(reason));
    qInfo("reason given: %s", qPrintable(reason));
}

QTEST_MAIN(TestDefaultPrinter)
#include "tst_default_printer.moc"
