#pragma once

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include "report/price_report.h"

// A printed report read back from its PDF with poppler's pdftotext, and where
// the line printer puts things on a page, for the tests that check the page.

// A word of the page as pdftotext -bbox places it, in points from the top-left.
struct Word {
    double xMin = 0.0;
    double yMin = 0.0;
    double xMax = 0.0;
    QString text;
};

inline const QStringList kReportLines = {
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

inline const torvel::PriceReportTexts kTexts{"1.4",     "1.7",     "1.2",      "$1.4557", "$1.0302",
                                             "$14.0578", "$1.4557", "$1.1590", "$15.1779"};

inline QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QList<Word> Words(const QString& pdf)
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
inline QList<Word> LineStarts(const QList<Word>& words)
{
    QList<Word> starts;
    for (const Word& w : words) {
        if (starts.isEmpty() || w.yMin > starts.last().yMin + 0.5)
            starts.append(w);
    }
    return starts;
}

// Where the line printer draws on a page.
struct PageGeometry {
    double left = 0.0;
    double top = 0.0;
    double reportColumn = 0.0; // average character width of the report font
    double reportLineHeight = 0.0;
    double reportBlank = 0.0;
    double defaultLineHeight = 0.0;
};

inline PageGeometry Geometry(const QPageLayout& page)
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

// Empty when the report in pdf starts at the top-left of page's printable
// area: every line 19 or 20 report-font columns from its left edge, and the
// first line below three empty lines in the initial font, each within its
// tolerance in points. Otherwise what is off, and by how much.
inline QString OffTheOrigin(const QString& pdf, const QPageLayout& page, double xTolerance, double yTolerance)
{
    const PageGeometry g = Geometry(page);
    const QList<Word> starts = LineStarts(Words(pdf));
    if (starts.size() != kReportLines.size())
        return QStringLiteral("%1 lines read back from %2, not %3").arg(starts.size()).arg(pdf).arg(kReportLines.size());
    // One indentation for every line: the first line's, when it is 19 or 20.
    const double indent = qBound(19, qRound((starts.first().xMin - g.left) / g.reportColumn), 20);
    for (const Word& start : starts) {
        if (qAbs(start.xMin - (g.left + indent * g.reportColumn)) > xTolerance)
            return QStringLiteral("\"%1\" starts at %2 pt, %3 columns of %4 pt from the printable edge at %5 pt")
                .arg(start.text).arg(start.xMin).arg((start.xMin - g.left) / g.reportColumn).arg(g.reportColumn)
                .arg(g.left);
    }
    const double firstLineTop = g.top + 3 * g.defaultLineHeight;
    if (qAbs(starts.first().yMin - firstLineTop) > yTolerance)
        return QStringLiteral("first line at %1 pt, not %2 pt (three empty lines below the printable top at %3 pt)")
            .arg(starts.first().yMin).arg(firstLineTop).arg(g.top);
    return {};
}
