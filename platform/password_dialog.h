#pragma once

#include <QDialog>

#include "platform/print_credentials.h"

class QLabel;
class QLineEdit;

namespace torvel {

// Asks for the user name and password that a printer wants, in a small
// modal dialog over the window rather than on a terminal. The name is
// filled in and may be changed; the focus is in the password field. Enter
// sends, Escape cancels.
class PasswordDialog : public QDialog {
    Q_OBJECT

public:
    PasswordDialog(const QString& printer, const QString& user, bool again, QWidget* parent = nullptr);
    ~PasswordDialog() override;

    // What was typed; the password field is emptied, so the dialog keeps
    // no copy.
    PrintCredentials takeCredentials();

private:
    QLineEdit* m_user;
    QLineEdit* m_password;
};

} // namespace torvel
