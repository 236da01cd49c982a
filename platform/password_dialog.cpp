#include "platform/password_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace torvel {

PasswordDialog::PasswordDialog(const QString& printer, const QString& user, bool again, QWidget* parent)
    : QDialog(parent)
    , m_user(new QLineEdit(user, this))
    , m_password(new QLineEdit(this))
{
    setObjectName(QStringLiteral("printPassword"));
    setWindowTitle(QStringLiteral("Torvel Calculator"));
    setModal(true);

    const QString question = again
        ? QStringLiteral("The printer \"%1\" did not accept the user name and password. Try again.")
        : QStringLiteral("The printer \"%1\" asks for a user name and password.");
    auto* text = new QLabel(question.arg(printer), this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);

    m_user->setObjectName(QStringLiteral("printUser"));
    m_password->setObjectName(QStringLiteral("printPasswordText"));
    m_password->setEchoMode(QLineEdit::Password);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("&User name:"), m_user);
    fields->addRow(QStringLiteral("&Password:"), m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    m_password->setFocus(Qt::OtherFocusReason);
}

PasswordDialog::~PasswordDialog()
{
    m_password->clear();
}

PrintCredentials PasswordDialog::takeCredentials()
{
    PrintCredentials given{m_user->text(), m_password->text().toUtf8()};
    m_password->clear();
    return given;
}

} // namespace torvel
