#include "ui/spoken_notice.h"

namespace torvel {

// Orca hears the notice as it starts showing; anything more would be
// spoken twice.
void SpokenNotice::tellSystem(const QString&) {}

} // namespace torvel
