#include <QTest>

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#include "platform/qt_line_printer.h"
#include "report/price_report.h"

using namespace torvel;

namespace {

// A word of the page as pdftotext -bbox places it, in points from the top-left.
struct Word {
    double xMin = 0.0;
    double yMin = 0.0;
    double xMax = 0.0;
    QString text;
};

const QStringList kReportLines = {
    "Chicago Mercantile Exchange Gradee AA Butter Price  -     $1.4",
    "Chicago Mercantile Exchange Block Cheddar Cheese Price  -     $1.7",
    "Orvania Weighted Average Powder Price  -     $1.2",
    "At the above commodity prices, Class Prices are:",
    "Class 4A FAT  -  $1.4557",
    "Class 4A SNF  -  $1.0302",
    "Class 4A cwt  -  $14.0578",
    "Class 4B FAT  -  $1.4557",
    "Class 4B SNF  -  $1.1590",
    "Class 4B cwt  -  $15.1779",
};

const PriceReportTexts kTexts{"1.4", "1.7", "1.2", "$1.4557", "$1.0302", "$14.0578",
                              "$1.4557", "$1.1590", "$15.1779"};

QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

QList<Word> Words(const QString& pdf)
{
    const QString html = Run("pdftotext", {"-bbox", pdf, "-"});
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
    QList<Word> words;
    for (const auto& m : word.globalMatch(html))
        words.append({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4)});
    return words;
}

// The first word of each printed line, top to bottom.
QList<Word> LineStarts(const QList<Word>& words)
{
    QList<Word> starts;
    for (const Word& w : words) {
        if (starts.isEmpty() || w.yMin > starts.last().yMin + 0.5)
            starts.append(w);
    }
    return starts;
}

// A printer's page with margins of its own, all different, so that a
// mixed-up side shows.
const QPageLayout kPage(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(36, 48, 18, 24),
                        QPageLayout::Point);

// Where the line printer draws on a page.
struct PageGeometry {
    double left = 0.0;
    double top = 0.0;
    double reportColumn = 0.0; // average character width of the report font
    double reportLineHeight = 0.0;
    double reportBlank = 0.0;
    double defaultLineHeight = 0.0;
};

PageGeometry Geometry(const QPageLayout& page = kPage)
{
    QBuffer pdf;
    QPdfWriter writer(&pdf);
    const double pointsPerPixel = 72.0 / writer.resolution();
    QFont reportFont(QStringLiteral("Times New Roman"));
    reportFont.setPointSizeF(12);
    const QFontMetricsF report(reportFont, &writer);
    const QFontMetricsF initial(QFont(), &writer);
    const QRectF area = page.paintRectPoints();
    return {area.left(), area.top(), report.averageCharWidth() * pointsPerPixel,
            report.lineSpacing() * pointsPerPixel, report.horizontalAdvance(u' ') * pointsPerPixel,
            initial.lineSpacing() * pointsPerPixel};
}

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
    QString reason;
    QVERIFY2(PrintPriceReport(printer, kTexts, reason), qPrintable(reason));
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
    const double blank = Geometry().reportBlank;
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
    QTest::addColumn<int>("expectedColumns");
    QTest::newRow("margins of the printer's own") << kPage << 20;
    QTest::newRow("A4 printable to the edge: zero margins stay zero")
        << QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()) << 20;
}

void TestPdfReport::startsAtThePrintableAreasTopLeft()
{
    QFETCH(QPageLayout, layout);
    QFETCH(int, expectedColumns);
    const QString pdf = m_dir.filePath(QStringLiteral("layout.pdf"));
    QtLinePrinter printer(pdf, layout);
    QString reason;
    QVERIFY2(PrintPriceReport(printer, kTexts, reason), qPrintable(reason));

    // Every line starts the same number of report-font columns from the
    // printable area's left edge.
    const PageGeometry page = Geometry(layout);
    const QList<Word> starts = LineStarts(Words(pdf));
    QCOMPARE(starts.size(), kReportLines.size());
    const double expected = page.left + expectedColumns * page.reportColumn;
    for (const Word& start : starts) {
        QVERIFY2(qAbs(start.xMin - expected) < 0.05,
                 qPrintable(QStringLiteral("\"%1\" starts at %2 pt, not %3 pt (%4 columns of %5 pt from %6 pt)")
                                .arg(start.text).arg(start.xMin).arg(expected).arg(expectedColumns)
                                .arg(page.reportColumn).arg(page.left)));
    }
    // Three empty lines in the printer's initial font stand above the first,
    // which puts the document's top at the printable area's top.
    const double firstLineTop = page.top + 3 * page.defaultLineHeight;
    QVERIFY2(qAbs(starts.first().yMin - firstLineTop) < 0.1,
             qPrintable(QStringLiteral("first line at %1 pt, not %2 pt").arg(starts.first().yMin).arg(firstLineTop)));
}

void TestPdfReport::linesMoveDownOneLineHeight()
{
    const QList<Word> starts = LineStarts(Words(m_pdf));
    QCOMPARE(starts.size(), kReportLines.size());
    const PageGeometry page = Geometry();

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
    QString reason;
    QVERIFY(PrintPriceReport(printer, kTexts, reason));
    const double firstTop = LineStarts(Words(second)).first().yMin;

    // Action: the next report on the same printer.
    QVERIFY(PrintPriceReport(printer, kTexts, reason));
    const double nextTop = LineStarts(Words(second)).first().yMin;

    // Expected: its three empty lines are in the report font.
    const PageGeometry page = Geometry();
    QVERIFY2(qAbs((nextTop - firstTop) - 3 * (page.reportLineHeight - page.defaultLineHeight)) < 0.05,
             qPrintable(QStringLiteral("first line at %1 pt, then at %2 pt").arg(firstTop).arg(nextTop)));
}

void TestPdfReport::unwritableFileIsReported()
{
    const QString path = m_dir.filePath(QStringLiteral("no such folder/report.pdf"));
    QtLinePrinter printer(path, kPage);
    QString reason;
    QVERIFY(!PrintPriceReport(printer, kTexts, reason));
    QCOMPARE(reason, QStringLiteral("The page could not be written to %1.").arg(path));

    // The failure ends with its document: the next one starts afresh.
    QVERIFY(!PrintPriceReport(printer, kTexts, reason));
}

void TestPdfReport::endingAnEmptyDocumentWritesNothing()
{
    const QString path = m_dir.filePath(QStringLiteral("empty.pdf"));
    QtLinePrinter printer(path, kPage);
    QString reason;
    QVERIFY(printer.endDocument(reason));
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_MAIN(TestPdfReport)
#include "tst_pdf_report.moc"
