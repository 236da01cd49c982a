#pragma once

#include "platform/message_box.h"

class QWidget;

namespace torvel {

// The message box on Qt: application-modal, OK only, no icon.
class QtMessageBox final : public MessageBox {
public:
    void showMessage(const QString& text) override;
};

} // namespace torvel
