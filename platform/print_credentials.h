#pragma once

#include <QByteArray>
#include <QString>

namespace torvel {

// A user name and password as the user typed them for one printer.
struct PrintCredentials {
    QString user;
    QByteArray password;
};

} // namespace torvel
