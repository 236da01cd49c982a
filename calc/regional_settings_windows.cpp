#include "calc/regional_settings.h"

#include <windows.h>

namespace torvel {

namespace {

// The user's setting, overrides included, as the Region control panel shows it.
QString UserSetting(LCTYPE type)
{
    wchar_t text[128];
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, int(std::size(text)));
    return length > 0 ? QString::fromWCharArray(text, length - 1) : QString();
}

int UserNumber(LCTYPE type, int fallback)
{
    DWORD value = 0;
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type | LOCALE_RETURN_NUMBER,
                                       reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(wchar_t));
    return length > 0 ? int(value) : fallback;
}

} // namespace

// Qt reads the Region settings, overrides included, for QLocale::system().
QLocale NumericLocale()
{
    return QLocale();
}

QLocale MonetaryLocale()
{
    return QLocale();
}

// Qt's own currency text for the system locale hands the amount to Windows
// with the region's number of decimals, so the parts are read here and put
// together with four.
std::optional<CurrencyFormat> UserCurrencyFormat(const QLocale& locale)
{
    if (locale != QLocale::system())
        return std::nullopt;
    CurrencyFormat format;
    format.symbol = UserSetting(LOCALE_SCURRENCY);
    format.decimalSeparator = UserSetting(LOCALE_SMONDECIMALSEP);
    format.groupSeparator = UserSetting(LOCALE_SMONTHOUSANDSEP);
    format.grouping = ParseGrouping(UserSetting(LOCALE_SMONGROUPING));
    format.positiveOrder = UserNumber(LOCALE_ICURRENCY, 0);
    format.negativeOrder = UserNumber(LOCALE_INEGCURR, 0);
    format.negativeSign = UserSetting(LOCALE_SNEGATIVESIGN);
    format.leadingZero = UserNumber(LOCALE_ILZERO, 1) != 0;
    if (format.decimalSeparator.isEmpty())
        format.decimalSeparator = QStringLiteral(".");
    if (format.negativeSign.isEmpty())
        format.negativeSign = QStringLiteral("-");
    return format;
}

} // namespace torvel
