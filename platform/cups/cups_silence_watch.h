#pragma once

#include <QElapsedTimer>

#include <cstddef>
#include <ctime>

namespace torvel {

// How long the print service has been silent in a wait. It runs on the
// monotonic clock: the wall clock may be set forward or back at any moment
// (a time server, a resumed laptop), which must neither cut a wait short nor
// make it endless.
class CupsSilenceWatch {
public:
    explicit CupsSilenceWatch(int seconds);

    // The service was heard just now: a call to it begins, or the clerk has
    // answered it.
    void heard();
    // One step of a wait, with what is left of an answer to read and
    // libcups' stamp of its last read from the service: true once the
    // service has been silent for the whole time.
    bool silent(size_t remaining, time_t activity);

private:
    int m_seconds;
    QElapsedTimer m_silence;
    bool m_counting = false; // false until a wait has seen the first step
    size_t m_lastRemaining = 0;
    time_t m_lastActivity = 0;
};

} // namespace torvel
