#pragma once

#include <QLocale>

#include <optional>

#include "calc/currency_format.h"

namespace torvel {

// The user's regional settings for one purpose each. On Unix they come from
// the environment as POSIX orders it: LC_ALL, then the category's own
// variable, then LANG; an empty variable counts as unset. QLocale::system()
// on Unix takes only the currency symbol from LC_MONETARY and everything else
// about money from the numeric setting, so money gets a locale of its own
// there. On Windows both are the Region settings, overrides included, as
// QLocale::system() reads them.
//
// A locale the program has chosen with QLocale::setDefault() stands for the
// user's settings in both roles.

// How typed prices are read (LC_NUMERIC).
QLocale NumericLocale();

// How prices are shown as money (LC_MONETARY).
QLocale MonetaryLocale();

// The user's own currency format where the system keeps it apart from the
// locale's data and will not show four decimals of it: Windows' Region
// settings, for the system locale. Nothing where the locale's own currency
// text is the user's, as on Unix and for any chosen locale.
std::optional<CurrencyFormat> UserCurrencyFormat(const QLocale& locale);

} // namespace torvel
