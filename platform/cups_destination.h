#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

#include <memory>

namespace torvel {

// The system's default printer as the print service (CUPS) offers it: the
// page it prints on and a job for one finished PDF. The conversation runs on
// the caller's thread under one deadline that starts with open(), so a
// service that hangs holds the caller for about kWaitSeconds at most; the
// mouse cursor shows busy meanwhile. libcups is loaded when open() is first
// called, never with the program.
class CupsDestination {
public:
    static constexpr int kWaitSeconds = 8;

    CupsDestination();
    ~CupsDestination();

    CupsDestination(const CupsDestination&) = delete;
    CupsDestination& operator=(const CupsDestination&) = delete;

    // Reaches the service and its default destination and reads the paper
    // that destination prints on. False, with the reason in words for the
    // user, when no job could go there.
    bool open(QString& failureReason);

    // The destination's default paper with its own margins, zero ones too.
    QPageLayout pageLayout() const;

    // Sends pdf as one job, printed at its own size. False, with the reason,
    // when the job was not accepted whole. When it was accepted but the
    // printer is paused, note says so; otherwise note is left empty.
    bool print(const QByteArray& pdf, const QString& title, QString& failureReason, QString& note);

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection; // null until open() succeeds
};

} // namespace torvel
