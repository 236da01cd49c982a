#pragma once

#include <QLocale>
#include <QString>

#include <optional>
#include <string>

namespace torvel {

// A number as a clerk types it in a locale, rewritten in the plain ASCII form
// that std::from_chars reads ("-1234.5e2"). Everything about the locale's
// form (digits, decimal separator, grouping, signs, exponent) is asked of the
// QLocale itself rather than left to QLocale::toDouble, whose reading of
// exponents, grouping and signs changes with the CLDR data of each Qt release.
// Nothing is returned when the text is not a number in the locale.
std::optional<std::string> PlainNumberForm(const QString& text, const QLocale& locale);

} // namespace torvel
