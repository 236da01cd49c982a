#include "calc/regional_settings.h"

#include <QByteArray>

namespace torvel {

namespace {

QLocale CategoryLocale(const char* category)
{
    const QLocale chosen;
    if (chosen != QLocale::system())
        return chosen;
    for (const char* variable : {"LC_ALL", category, "LANG"}) {
        const QByteArray name = qgetenv(variable);
        // QLocale reads "de_DE.UTF-8" and ignores the codeset; an unknown
        // name, "C" or "POSIX" gives the C locale, as for the C library.
        if (!name.isEmpty())
            return QLocale(QString::fromLocal8Bit(name));
    }
    return QLocale::c();
}

} // namespace

QLocale NumericLocale()
{
    return CategoryLocale("LC_NUMERIC");
}

QLocale MonetaryLocale()
{
    return CategoryLocale("LC_MONETARY");
}

std::optional<CurrencyFormat> UserCurrencyFormat(const QLocale&)
{
    return std::nullopt;
}

} // namespace torvel
