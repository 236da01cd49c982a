#include "platform/cups/cups_silence_watch.h"

namespace torvel {

CupsSilenceWatch::CupsSilenceWatch(int seconds)
    : m_seconds(seconds)
{
}

void CupsSilenceWatch::heard()
{
    m_silence.start();
    m_counting = false;
}

// The service was last heard when a call began, when what is left of an
// answer to read shrank, or when libcups read a line from it. libcups stamps
// that read with the wall clock in whole seconds, so only a change of the
// stamp is taken as news, and a stamp of the current second counts as heard
// just now: a read within the same second as the last one seen is not
// missed, and a wall clock set forward or back stamps nothing new.
bool CupsSilenceWatch::silent(size_t remaining, time_t activity)
{
    if (!m_counting) {
        m_counting = true;
        m_lastRemaining = remaining;
        m_lastActivity = activity;
    } else if (remaining != m_lastRemaining || activity != m_lastActivity) {
        m_lastRemaining = remaining;
        m_lastActivity = activity;
        m_silence.start();
    }
    if (activity == std::time(nullptr))
        m_silence.start();
    return m_silence.hasExpired(m_seconds * 1000);
}

} // namespace torvel
