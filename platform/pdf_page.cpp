#include "platform/pdf_page.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include "platform/print_document.h"

namespace torvel {

bool DrawPdfPage(const PrintDocument& document, const QString& title, const QPageLayout& layout, QByteArray& pdf)
{
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Torvel Calculator"));
    // The painter's origin is then the printable area's top-left corner.
    QPainter painter;
    if (!writer.setPageLayout(layout) || !painter.begin(&writer))
        return false;
    const auto useFont = [&](const QString& family, double size) {
        QFont font(family);
        font.setPointSizeF(size);
        painter.setFont(font);
    };
    if (!document.fontFamily.isEmpty())
        useFont(document.fontFamily, document.pointSize);
    qreal y = 0.0; // top of the next line, from the printable area's top
    for (const PrintDocument::Step& step : document.steps) {
        if (!step.fontFamily.isEmpty()) {
            useFont(step.fontFamily, step.pointSize);
            continue;
        }
        // A line height is the font's distance from one baseline to the next.
        const QFontMetricsF metrics(painter.font(), painter.device());
        if (!step.pieces.isEmpty()) {
            const qreal x = step.indentColumns * metrics.averageCharWidth();
            painter.drawText(QPointF(x, y + metrics.ascent()), step.pieces.join(QString()));
        }
        y += metrics.lineSpacing();
    }
    return painter.end();
}

} // namespace torvel
