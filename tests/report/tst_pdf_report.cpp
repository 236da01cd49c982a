#include <QTest>

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/qt_line_printer.h"
#include "report/price_report.h"
#include "tests/support/pdf_page.h"
#include "tests/support/print_and_wait.h"

using namespace torvel;

namespace {

// A printer's page with margins of its own, all different, so that a
// mixed-up side shows.
const QPageLayout kPage(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(36, 48, 18, 24),
                        QPageLayout::Point);

} // namespace

class TestPdfReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void printsEveryLiteral();
    void keepsTheRunsOfBlanks();
    void startsAtThePrintableAreasTopLeft_data();
    void startsAtThePrintableAreasTopLeft();
    void linesMoveDownOneLineHeight();
    void printsInTheSerifFont();
    void fontStaysCurrentForTheNextDocument();
    void unwritableFileIsReported();
    void endingAnEmptyDocumentWritesNothing();

private:
    QTemporaryDir m_dir;
    QString m_pdf;
};

void TestPdfReport::initTestCase()
{
    QVERIFY2(m_dir.isValid(), qPrintable(m_dir.errorString()));
    for (const char* tool : {"pdftotext", "pdffonts"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(),
                 qPrintable(QStringLiteral("%1 is missing; scripts/setup installs poppler-utils").arg(tool)));
}

void TestPdfReport::init()
{
    static int count = 0;
    m_pdf = m_dir.filePath(QStringLiteral("report-%1.pdf").arg(++count));
    QtLinePrinter printer(m_pdf, kPage);
    const PrintOutcome outcome = PrintAndWait(printer, kTexts);
    QVERIFY2(outcome == PrintOutcome{}, qPrintable(outcome.message));
    QVERIFY(QFileInfo(m_pdf).size() > 0);
}

void TestPdfReport::printsEveryLiteral()
{
    // -layout approximates the blanks between words; keepsTheRunsOfBlanks
    // measures them.
    const QString text = Run("pdftotext", {"-layout", m_pdf, "-"});
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith(u'\f'))
            lines << line.simplified();
    }
    QStringList expected;
    for (const QString& line : kReportLines)
        expected << line.simplified();
    QCOMPARE(lines, expected);
}

void TestPdfReport::keepsTheRunsOfBlanks()
{
    // Each line rebuilt from its words, with the space between two words
    // counted in blanks of the report font.
    const double blank = Geometry(kPage).reportBlank;
    const QList<Word> words = Words(m_pdf);
    QStringList lines;
    for (int i = 0; i < words.size(); ++i) {
        if (i == 0 || words[i].yMin > words[i - 1].yMin + 0.5) {
            lines << words[i].text;
            continue;
        }
        const int blanks = qRound((words[i].xMin - words[i - 1].xMax) / blank);
        lines.last() += QString(blanks, u' ') + words[i].text;
    }
    QCOMPARE(lines, kReportLines);
}

void TestPdfReport::startsAtThePrintableAreasTopLeft_data()
{
    QTest::addColumn<QPageLayout>("layout");
    QTest::newRow("margins of the printer's own") << kPage;
    QTest::newRow("A4 printable to the edge: zero margins stay zero")
        << QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
}

void TestPdfReport::startsAtThePrintableAreasTopLeft()
{
    QFETCH(QPageLayout, layout);
    const QString pdf = m_dir.filePath(QStringLiteral("layout.pdf"));
    QtLinePrinter printer(pdf, layout);
    const PrintOutcome outcome = PrintAndWait(printer, kTexts);
    QVERIFY2(outcome == PrintOutcome{}, qPrintable(outcome.message));

    const QString off = OffTheOrigin(pdf, layout, 0.05, 0.1);
    QVERIFY2(off.isEmpty(), qPrintable(off));
}

void TestPdfReport::linesMoveDownOneLineHeight()
{
    const QList<Word> starts = LineStarts(Words(m_pdf));
    QCOMPARE(starts.size(), kReportLines.size());
    const PageGeometry page = Geometry(kPage);

    // Line steps between printed lines: the empty lines in between count too.
    const QList<int> steps = {1, 1, 3, 2, 1, 1, 2, 1, 1};
    for (int i = 0; i < steps.size(); ++i) {
        const double gap = starts[i + 1].yMin - starts[i].yMin;
        QVERIFY2(qAbs(gap - steps[i] * page.reportLineHeight) < 0.05,
                 qPrintable(QStringLiteral("\"%1\" is %2 pt below the line before, not %3 x %4 pt")
                                .arg(starts[i + 1].text).arg(gap).arg(steps[i]).arg(page.reportLineHeight)));
    }

}

void TestPdfReport::printsInTheSerifFont()
{
    const QString fonts = Run("pdffonts", {m_pdf});
    const QStringList rows = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2); // after the header
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows.first().contains(QStringLiteral("LiberationSerif")) || rows.first().contains(QStringLiteral("TimesNewRoman")),
             qPrintable(rows.first()));
    QVERIFY2(!rows.first().contains(QStringLiteral("Sans")), qPrintable(rows.first()));
}

void TestPdfReport::fontStaysCurrentForTheNextDocument()
{
    // State: one report printed, so Times New Roman is the current font.
    const QString second = m_dir.filePath(QStringLiteral("second.pdf"));
    QtLinePrinter printer(second, kPage);
    QCOMPARE(PrintAndWait(printer, kTexts), PrintOutcome{});
    const double firstTop = LineStarts(Words(second)).first().yMin;

    // Action: the next report on the same printer.
    QCOMPARE(PrintAndWait(printer, kTexts), PrintOutcome{});
    const double nextTop = LineStarts(Words(second)).first().yMin;

    // Expected: its three empty lines are in the report font.
    const PageGeometry page = Geometry(kPage);
    QVERIFY2(qAbs((nextTop - firstTop) - 3 * (page.reportLineHeight - page.defaultLineHeight)) < 0.05,
             qPrintable(QStringLiteral("first line at %1 pt, then at %2 pt").arg(firstTop).arg(nextTop)));
}

void TestPdfReport::unwritableFileIsReported()
{
    const QString path = m_dir.filePath(QStringLiteral("no such folder/report.pdf"));
    QtLinePrinter printer(path, kPage);
    const PrintOutcome unwritable{PrintOutcome::End::Failed,
                                  QStringLiteral("The page could not be written to %1.").arg(path)};
    QCOMPARE(PrintAndWait(printer, kTexts), unwritable);

    // The failure ends with its document: the next one starts afresh.
    QCOMPARE(PrintAndWait(printer, kTexts), unwritable);
}

void TestPdfReport::endingAnEmptyDocumentWritesNothing()
{
    const QString path = m_dir.filePath(QStringLiteral("empty.pdf"));
    QtLinePrinter printer(path, kPage);
    std::optional<PrintOutcome> outcome;
    printer.endDocument([&](const PrintOutcome& ended) { outcome = ended; });
    QTRY_VERIFY(outcome);
    QCOMPARE(*outcome, PrintOutcome{});
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_MAIN(TestPdfReport)
#include "tst_pdf_report.moc"
