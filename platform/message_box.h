#pragma once

#include <QString>

namespace torvel {

// A modal message with a single OK button and no icon, captioned with the
// program's title. Returns when the user has closed it. Tests stand in for it.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void showMessage(const QString& text) = 0;
};

} // namespace torvel
