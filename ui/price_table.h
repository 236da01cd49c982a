#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

namespace torvel {

// The window's prices as a small table for the clipboard: the three
// commodity prices with their captions, then a row per class under the
// FAT, SNF and CWT headings. Every cell is the text the window shows, so a
// spreadsheet in the clerk's locale reads the amounts as numbers.
struct ShownPrices {
    QStringList inputs;  // butter, cheese, powder, as typed
    QStringList results; // Class 4A FAT, SNF, CWT, then Class 4B
    QStringList amounts; // the results as plain decimals ("1.4557")
};

// Tab-separated cells, a line a row, ending with a line break.
QString PriceTableText(const ShownPrices& prices);

// The same cells as an HTML table, for word processors and mail.
QString PriceTableHtml(const ShownPrices& prices);

// Both forms together, for the clipboard to own.
QMimeData* PriceTableMimeData(const ShownPrices& prices);

} // namespace torvel
