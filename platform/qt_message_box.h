#pragma once

#include "platform/message_box.h"

namespace torvel {

// The message box on Qt: a QMessageBox captioned "Torvel Calculator",
// application-modal, OK only, no icon. The text is shown as plain text.
class QtMessageBox final : public MessageBox {
public:
    void showMessage(const QString& text) override;
};

} // namespace torvel
