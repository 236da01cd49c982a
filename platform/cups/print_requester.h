#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

#include <optional>

#include "platform/print_credentials.h"

namespace torvel {

// What a print conversation running on its own thread needs from the
// window's side. Each call waits for the answer, and gives up as soon as
// the print is cancelled.
class PrintRequester {
public:
    virtual ~PrintRequester() = default;

    // The user, or the program ending, asked to stop the print.
    virtual bool cancelled() const = 0;
    // The program is ending: not even a job's withdrawal may hold it.
    virtual bool abandoned() const = 0;
    // Where libcups looks while it connects: non-zero once cancelled.
    virtual int* cancelFlag() = 0;

    // The document drawn for the given page: false when it could not be
    // prepared (failure says why) or the print was cancelled (failure empty).
    virtual bool drawPage(const QPageLayout& page, QByteArray& pdf, QString& failure) = 0;

    // Asks the user for the name and password that printer wants; again
    // after a refused one. Nothing when the user cancelled.
    virtual std::optional<PrintCredentials> askPassword(const QString& printer, const QString& user,
                                                        bool again) = 0;
};

} // namespace torvel
