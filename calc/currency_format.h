#pragma once

#include <QList>
#include <QString>

namespace torvel {

// A currency format as Windows' Region settings keep it, with the clerk's own
// overrides: the parts that GetCurrencyFormatEx puts together, so that the
// program can put them together itself with four decimals, whatever number
// of decimals the region gives its currency.
struct CurrencyFormat {
    QString symbol = QStringLiteral("$");        // sCurrency
    QString decimalSeparator = QStringLiteral("."); // sMonDecimalSep
    QString groupSeparator = QStringLiteral(",");   // sMonThousandSep
    // sMonGrouping's sizes from the right: a last 0 repeats the size before
    // it ("3;0" gives 1,234,567), no 0 leaves the rest ungrouped ("3" gives
    // 1234,567), "0" groups nothing.
    QList<int> grouping{3, 0};
    int positiveOrder = 0;  // iCurrency: 0 $1.1, 1 1.1$, 2 $ 1.1, 3 1.1 $
    int negativeOrder = 0;  // iNegCurr, 0 to 15: 0 ($1.1), 1 -$1.1, 8 -1.1 $, ...
    QString negativeSign = QStringLiteral("-"); // sNegativeSign
    bool leadingZero = true; // iLZero: 0.5 rather than .5

    friend bool operator==(const CurrencyFormat&, const CurrencyFormat&) = default;
};

// Reads sMonGrouping's text ("3;2;0") into CurrencyFormat::grouping; a text
// that is not such a list groups by threes.
QList<int> ParseGrouping(const QString& text);

// The amount in that format. plain is the amount's decimal digits as
// QString::number writes them ("-1234.4557"): its digits are shown as they
// stand, so they must already be rounded to the decimals wanted.
QString FormatCurrency(const QString& plain, const CurrencyFormat& format);

} // namespace torvel
