#pragma once

#include <QList>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace torvel::testing {

// The amount a currency text shows, read without the locale's own parser so
// that it checks FormatPrice rather than restating it: the digit values of the
// whole part (group separators skipped) and of the fraction.
struct ShownAmount {
    std::vector<int> whole;
    std::vector<int> fraction;

    // The shown digits as a plain decimal text, e.g. "14.0578".
    std::string plain() const
    {
        std::string text;
        for (int d : whole)
            text += char('0' + d);
        text += '.';
        for (int d : fraction)
            text += char('0' + d);
        return text;
    }
};

// Finds the locale's decimal separator standing between two digits, in any
// digit system (Arabic-Indic, Devanagari, Chakma, Adlam...). Currency symbols
// such as "kr." or "ج.م." hold separator-like characters too, but never
// between digits. Nothing is found when there is no such separator or more
// than one.
inline std::optional<ShownAmount> ReadShownAmount(const QString& text, const QLocale& locale)
{
    const QList<uint> chars = text.toUcs4();
    const QList<uint> point = locale.decimalPoint().toUcs4();
    const QList<uint> group = locale.groupSeparator().toUcs4();
    const auto size = chars.size();

    auto digitAt = [&](qsizetype i) {
        return i >= 0 && i < size ? QChar::digitValue(char32_t(chars[i])) : -1;
    };
    auto matchesAt = [&](qsizetype i, const QList<uint>& piece) {
        return !piece.isEmpty() && i >= 0 && i + piece.size() <= size
            && std::equal(piece.begin(), piece.end(), chars.begin() + i);
    };

    std::optional<ShownAmount> found;
    for (qsizetype i = 1; i < size; ++i) {
        if (!matchesAt(i, point) || digitAt(i - 1) < 0 || digitAt(i + point.size()) < 0)
            continue;
        if (found)
            return std::nullopt;
        ShownAmount amount;
        for (qsizetype j = i + point.size(); digitAt(j) >= 0; ++j)
            amount.fraction.push_back(digitAt(j));
        for (qsizetype j = i - 1; j >= 0;) {
            if (digitAt(j) >= 0) {
                amount.whole.insert(amount.whole.begin(), digitAt(j));
                --j;
            } else if (matchesAt(j - group.size() + 1, group) && digitAt(j - group.size()) >= 0) {
                j -= group.size();
            } else {
                break;
            }
        }
        found = amount;
    }
    return found;
}

// True when the shown amount is |value| rounded to four decimals: within half
// a unit of the fourth decimal, however a tie was broken, and for amounts too
// large for a fraction, the exact integer the binary64 value is.
inline bool ShowsRoundedMagnitude(const ShownAmount& amount, double value)
{
    const std::string plain = amount.plain();
    double shown = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), shown);
    if (error != std::errc() || end != plain.data() + plain.size())
        return false;
    const double magnitude = std::fabs(value);
    const double ulp = magnitude - std::nextafter(magnitude, 0.0);
    return std::fabs(shown - magnitude) <= 0.00005 + ulp;
}

} // namespace torvel::testing
