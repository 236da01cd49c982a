#pragma once

#include <QLocale>

namespace torvel {

// The user's regional settings for one purpose each, as POSIX orders the
// environment: LC_ALL, then the category's own variable, then LANG; an empty
// variable counts as unset. QLocale::system() on Unix takes only the currency
// symbol from LC_MONETARY and everything else about money from the numeric
// setting, so money gets a locale of its own here.
//
// A locale the program has chosen with QLocale::setDefault() stands for the
// user's settings in both roles.

// How typed prices are read (LC_NUMERIC).
QLocale NumericLocale();

// How prices are shown as money (LC_MONETARY).
QLocale MonetaryLocale();

} // namespace torvel
