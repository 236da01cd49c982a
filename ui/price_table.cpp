#include "ui/price_table.h"

#include <QMimeData>

namespace torvel {

namespace {

// A cell's text, and for a result the amount it shows as a plain decimal.
struct Cell {
    Cell(const QString& text = {}, const QString& amount = {})
        : text(text)
        , amount(amount)
    {}
    QString text;
    QString amount;
};
using Rows = QList<QList<Cell>>;

// The captions as the window shows them. The empty row keeps the inputs
// apart from the results when pasted, as the two frames are in the window.
Rows TableRows(const ShownPrices& prices)
{
    const QStringList& in = prices.inputs;
    const auto result = [&prices](int i) { return Cell{prices.results.value(i), prices.amounts.value(i)}; };
    return {
        {{QStringLiteral("CME Butter Price")}, {in.value(0)}},
        {{QStringLiteral("CME Cheese Price")}, {in.value(1)}},
        {{QStringLiteral("OV Wt'd Avg. Powder Price")}, {in.value(2)}},
        {},
        {{}, {QStringLiteral("FAT")}, {QStringLiteral("SNF")}, {QStringLiteral("CWT")}},
        {{QStringLiteral("Class 4A")}, result(0), result(1), result(2)},
        {{QStringLiteral("Class 4B")}, result(3), result(4), result(5)},
    };
}

// A typed price may hold a pasted tab or line break, which would split its
// cell or row.
QString PlainCell(QString cell)
{
    for (QChar& ch : cell) {
        if (ch == u'\t' || ch == u'\n' || ch == u'\r')
            ch = u' ';
    }
    return cell;
}

// A LibreOffice number format that writes an amount as the window shows it:
// the text around its digits kept as literals, the digits as a number with
// four decimals, grouped where the window groups. The code is read in US
// English and shown with the separators of the reader's own locale. A
// negative amount takes the second part, which shows the value without its
// sign, as the window's text already holds the sign.
QString LibreOfficeFormat(const QString& shown, const QString& amount)
{
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown.at(i).isDigit()) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    if (first < 0)
        return {};
    const auto literal = [](QString text) {
        text.remove(u'"');
        return text.isEmpty() ? text : u'"' + text + u'"';
    };
    qsizetype separators = 0;
    for (QChar ch : shown.mid(first, last - first + 1))
        separators += ch.isDigit() ? 0 : 1;
    const QString number = separators > 1 ? QStringLiteral("#,##0.0000") : QStringLiteral("0.0000");
    const QString section = literal(shown.left(first)) + number + literal(shown.mid(last + 1));
    return amount.startsWith(u'-') ? QStringLiteral("0.0000;") + section : section;
}

} // namespace

QString PriceTableText(const ShownPrices& prices)
{
    QString text;
    for (const QList<Cell>& row : TableRows(prices)) {
        QStringList cells;
        for (const Cell& cell : row)
            cells << PlainCell(cell.text);
        text += cells.join(u'\t') + u'\n';
    }
    return text;
}

QString PriceTableHtml(const ShownPrices& prices)
{
    // The charset travels with the fragment: some readers of the clipboard
    // take HTML without one as Latin-1, and the euro sign would not survive.
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>\n");
    for (const QList<Cell>& row : TableRows(prices)) {
        html += QStringLiteral("<tr>");
        for (const Cell& cell : row) {
            // LibreOffice takes a currency text in an HTML cell for text, and
            // a cell with a value for that value in its own number format.
            // sdval is the value, read in the language that sdnum names
            // (1033, US English, whose decimal point the amount has), and
            // sdnum's format shows it as the window does; other readers skip
            // both attributes.
            const QString value = cell.amount.isEmpty()
                ? QString()
                : QStringLiteral(" sdval=\"%1\" sdnum=\"1033;0;%2\"")
                      .arg(cell.amount.toHtmlEscaped(), LibreOfficeFormat(cell.text, cell.amount).toHtmlEscaped());
            html += QStringLiteral("<td%1>").arg(value) + cell.text.toHtmlEscaped() + QStringLiteral("</td>");
        }
        if (row.isEmpty())
            html += QStringLiteral("<td></td>");
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table></body></html>\n");
}

QMimeData* PriceTableMimeData(const ShownPrices& prices)
{
    auto* data = new QMimeData;
    data->setText(PriceTableText(prices));
    data->setHtml(PriceTableHtml(prices));
    return data;
}

} // namespace torvel
