#pragma once

#include <QStringList>

#include "platform/message_box.h"

// Stands in for the modal message box: writes down each message and returns
// at once, as if the user had pressed OK.
class RecordingMessageBox final : public torvel::MessageBox {
public:
    void showMessage(const QString& text) override { shown << text; }

    QStringList shown;
};
