#include "platform/cups/cups_api.h"

#include <QLibrary>

namespace torvel {

const CupsApi* LoadCups()
{
    static const CupsApi* const api = []() -> const CupsApi* {
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return nullptr;
        static CupsApi loaded;
        bool complete = true;
#define TORVEL_CUPS_RESOLVE(name)                                                                          \
    loaded.name = reinterpret_cast<decltype(&::name)>(library.resolve(#name));                            \
    complete = complete && loaded.name;
        TORVEL_CUPS_FUNCTIONS(TORVEL_CUPS_RESOLVE)
#undef TORVEL_CUPS_RESOLVE
        return complete ? &loaded : nullptr;
    }();
    return api;
}

} // namespace torvel
