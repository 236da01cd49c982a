#pragma once

#include "platform/message_box.h"

namespace torvel {

// The message box on Qt: a QMessageBox captioned "Torvel Calculator",
// application-modal, OK only, no icon, not even on its button. The text is
// shown as plain text. When it closes, the window it covered is active again.
class QtMessageBox final : public MessageBox {
public:
    void showMessage(const QString& text) override;
};

} // namespace torvel
