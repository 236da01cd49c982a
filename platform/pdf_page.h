#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

namespace torvel {

struct PrintDocument;

// The document painted with QPainter into a one-page PDF held in memory, so
// that no full or read-only disk can cut it short on its way to the printer.
// The page's origin is the printable area's top-left corner; the lines before
// any font is set use the application's default font. False when the page
// could not be painted.
bool DrawPdfPage(const PrintDocument& document, const QString& title, const QPageLayout& layout, QByteArray& pdf);

} // namespace torvel
