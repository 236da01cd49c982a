#include "calc/currency_format.h"

#include <QStringList>

#include <array>

namespace torvel {

namespace {

// Windows' currency orders, with $ for the symbol, - for the negative sign
// and n for the number.
constexpr std::array<const char*, 4> kPositive{"$n", "n$", "$ n", "n $"};
constexpr std::array<const char*, 16> kNegative{
    "($n)", "-$n", "$-n", "$n-", "(n$)", "-n$", "n-$", "n$-",
    "-n $", "-$ n", "n $-", "$ n-", "$ -n", "n- $", "($ n)", "(n $)",
};

QString Grouped(const QString& digits, const QList<int>& grouping, const QString& separator)
{
    QStringList groups; // from the right
    qsizetype end = digits.size();
    int size = 0;
    for (qsizetype i = 0; end > 0; ++i) {
        if (i < grouping.size()) {
            size = grouping.at(i);
            if (size == 0 && i > 0)
                size = grouping.at(i - 1); // a last 0 repeats the size before it
        } else if (grouping.isEmpty() || grouping.last() != 0) {
            size = 0; // no repeat asked for: the rest stays whole
        }
        if (size <= 0 || size >= end) {
            groups.prepend(digits.left(end));
            break;
        }
        groups.prepend(digits.mid(end - size, size));
        end -= size;
    }
    return groups.join(separator);
}

} // namespace

QList<int> ParseGrouping(const QString& text)
{
    QList<int> sizes;
    for (const QString& part : text.split(QLatin1Char(';'))) {
        bool ok = false;
        const int size = part.trimmed().toInt(&ok);
        if (!ok || size < 0 || size > 9)
            return {3, 0};
        sizes.append(size);
    }
    return sizes;
}

QString FormatCurrency(const QString& plain, const CurrencyFormat& format)
{
    const bool negative = plain.startsWith(QLatin1Char('-'));
    const QString unsignedDigits = negative ? plain.mid(1) : plain;
    const qsizetype point = unsignedDigits.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? unsignedDigits : unsignedDigits.left(point);
    const QString fraction = point < 0 ? QString() : unsignedDigits.mid(point + 1);
    if (whole == QLatin1String("0") && !fraction.isEmpty() && !format.leadingZero)
        whole.clear();
    QString number = Grouped(whole, format.grouping, format.groupSeparator);
    if (!fraction.isEmpty())
        number += format.decimalSeparator + fraction;

    const char* order = negative ? kNegative.at(size_t(qBound(0, format.negativeOrder, 15)))
                                 : kPositive.at(size_t(qBound(0, format.positiveOrder, 3)));
    QString text;
    for (const char* c = order; *c; ++c) {
        switch (*c) {
        case '$': text += format.symbol; break;
        case '-': text += format.negativeSign; break;
        case 'n': text += number; break;
        default: text += QLatin1Char(*c); break;
        }
    }
    return text;
}

} // namespace torvel
