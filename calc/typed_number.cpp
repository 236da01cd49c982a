#include "calc/typed_number.h"

#include <QList>

#include <algorithm>

namespace torvel {

namespace {

using CodePoints = QList<char32_t>;

// Invisible bidirectional marks that some locales write around their signs:
// a clerk never sees them, and they come along when a number is copied from
// another program. They carry no value.
bool IsDirectionMark(QChar c)
{
    return c == QChar(0x061C) || c == QChar(0x200E) || c == QChar(0x200F);
}

QString WithoutMarks(QString text)
{
    text.removeIf(IsDirectionMark);
    return text;
}

CodePoints ToCodePoints(const QString& text)
{
    const QList<uint> ucs4 = text.toUcs4();
    return CodePoints(ucs4.begin(), ucs4.end());
}

struct GroupSizes {
    int last = 0;    // digits in the rightmost group
    int middle = 0;  // digits in each group between the outer two
    int leading = 0; // most digits in the leftmost group
};

// What a number looks like in one locale, all taken from QLocale.
struct NumberSymbols {
    char32_t zero = U'0';
    CodePoints decimal;
    CodePoints group;          // empty when the locale refuses grouping
    bool groupIsSpace = false; // then a plain space groups as well
    CodePoints minus;
    CodePoints plus;
    CodePoints exponent;
};

// Group sizes are not published by QLocale, so they are read off the way it
// writes integers of every length: "1,234,567" gives 3 and 3, Indian
// "12,34,567" gives 3 and 2. The leftmost group is whatever the locale writes
// there at most: Qt 6.4 applies a locale's minimum grouping to it and writes
// Albanian 1234567 as "1234 567".
GroupSizes GroupSizesOf(const QLocale& locale)
{
    GroupSizes sizes;
    QLocale writer = locale;
    writer.setNumberOptions(QLocale::DefaultNumberOptions);
    const QString group = writer.groupSeparator();
    if (group.isEmpty())
        return sizes;
    qlonglong number = 0;
    for (int digits = 1; digits <= 18; ++digits) {
        number = number * 10 + digits % 10;
        const QStringList groups = writer.toString(number).split(group);
        if (groups.size() < 2)
            continue;
        sizes.last = int(groups.last().toUcs4().size());
        if (groups.size() > 2)
            sizes.middle = int(groups.at(groups.size() - 2).toUcs4().size());
        sizes.leading = std::max(sizes.leading, int(groups.first().toUcs4().size()));
    }
    return sizes;
}

NumberSymbols SymbolsOf(const QLocale& locale)
{
    NumberSymbols symbols;
    symbols.zero = locale.zeroDigit().toUcs4().value(0, U'0');
    symbols.decimal = ToCodePoints(WithoutMarks(locale.decimalPoint()));
    if (!(locale.numberOptions() & QLocale::RejectGroupSeparator)) {
        const QString group = WithoutMarks(locale.groupSeparator());
        symbols.group = ToCodePoints(group);
        symbols.groupIsSpace = group.size() == 1 && group.at(0).isSpace();
    }
    symbols.minus = ToCodePoints(WithoutMarks(locale.negativeSign()));
    symbols.plus = ToCodePoints(WithoutMarks(locale.positiveSign()));
    symbols.exponent = ToCodePoints(WithoutMarks(locale.exponential()));
    return symbols;
}

class Reader {
public:
    Reader(const CodePoints& text, const NumberSymbols& symbols) : m_text(text), m_symbols(symbols) {}

    bool atEnd() const { return m_pos == m_text.size(); }

    bool take(const CodePoints& piece)
    {
        if (piece.isEmpty() || m_text.size() - m_pos < piece.size()
            || !std::equal(piece.begin(), piece.end(), m_text.begin() + m_pos))
            return false;
        m_pos += piece.size();
        return true;
    }

    bool take(char32_t c)
    {
        if (atEnd() || m_text.at(m_pos) != c)
            return false;
        ++m_pos;
        return true;
    }

    // The ASCII sign, or the locale's own; nothing when there is none.
    void takeSign(std::string& out)
    {
        if (take(U'-') || take(m_symbols.minus))
            out += '-';
        else if (!take(U'+'))
            take(m_symbols.plus);
    }

    // A digit in ASCII or in the locale's own digits, appended as ASCII.
    bool takeDigit(std::string& out)
    {
        if (atEnd())
            return false;
        const char32_t c = m_text.at(m_pos);
        for (char32_t zero : {U'0', m_symbols.zero}) {
            if (c >= zero && c <= zero + 9) {
                out += char('0' + (c - zero));
                ++m_pos;
                return true;
            }
        }
        return false;
    }

    bool takeGroupSeparator()
    {
        return take(m_symbols.group) || (m_symbols.groupIsSpace && take(U' '));
    }

    bool takeExponent()
    {
        return take(U'E') || take(U'e') || take(m_symbols.exponent);
    }

private:
    const CodePoints& m_text;
    const NumberSymbols& m_symbols;
    qsizetype m_pos = 0;
};

// Grouping is accepted only where the locale itself would group, so that a
// point typed as a decimal separator in a comma locale ("1.4" in German) is
// refused rather than read as 14. The sizes are asked for only when the text
// is grouped, which few typed prices are.
bool IsValidGrouping(const QList<int>& typed, const QLocale& locale)
{
    if (typed.size() == 1)
        return true;
    const GroupSizes sizes = GroupSizesOf(locale);
    if (sizes.last == 0 || typed.last() != sizes.last)
        return false;
    if (typed.first() < 1 || typed.first() > sizes.leading)
        return false;
    for (qsizetype i = 1; i + 1 < typed.size(); ++i) {
        if (typed.at(i) != sizes.middle)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> PlainNumberForm(const QString& text, const QLocale& locale)
{
    const NumberSymbols symbols = SymbolsOf(locale);
    // Cells pasted from a spreadsheet often carry a trailing tab or newline.
    const CodePoints typed = ToCodePoints(WithoutMarks(text).trimmed());
    Reader reader(typed, symbols);
    std::string plain;

    reader.takeSign(plain);
    QList<int> groupSizes = {0};
    int digits = 0;
    for (;;) {
        if (reader.takeDigit(plain)) {
            ++groupSizes.last();
            ++digits;
        } else if (reader.takeGroupSeparator()) {
            groupSizes.append(0);
        } else {
            break;
        }
    }
    if (!IsValidGrouping(groupSizes, locale))
        return std::nullopt;
    if (reader.take(symbols.decimal)) {
        plain += '.';
        while (reader.takeDigit(plain))
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (reader.takeExponent()) {
        plain += 'e';
        reader.takeSign(plain);
        int exponentDigits = 0;
        while (reader.takeDigit(plain))
            ++exponentDigits;
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (!reader.atEnd())
        return std::nullopt;
    return plain;
}

} // namespace torvel
