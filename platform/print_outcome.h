#pragma once

#include <QString>

namespace torvel {

// How a document sent to the printer ended. A printed document may still
// carry a message the user should read (a paused printer, a service that
// did not confirm the job); a failed one carries its reason; a cancelled
// one needs no words.
struct PrintOutcome {
    enum class End { Printed, Failed, Cancelled };

    End end = End::Printed;
    QString message; // in words for the user; empty when there is nothing to tell

    friend bool operator==(const PrintOutcome&, const PrintOutcome&) = default;
};

} // namespace torvel
