#include "hangwatch.h"

#include <QElapsedTimer>

namespace {

qint64 steadyMs()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

} // namespace

HangWatch::HangWatch(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(steadyMs))
{
}

void HangWatch::navigationAsked()
{
    if (m_navigationAskedAt < 0)
        m_navigationAskedAt = now();
}

void HangWatch::probeSent()
{
    m_probeSentAt = now();
}

void HangWatch::probeAnswered()
{
    m_probeSentAt = -1;
}

void HangWatch::stopWaiting()
{
    m_navigationAskedAt = -1;
    m_probeSentAt = -1;
}

void HangWatch::waitAgain()
{
    if (m_navigationAskedAt >= 0)
        m_navigationAskedAt = now();
    if (m_probeSentAt >= 0)
        m_probeSentAt = now();
}

void HangWatch::pause()
{
    ++m_pauses;
}

void HangWatch::resume()
{
    if (m_pauses == 0)
        return;
    // What was waited for before the pause starts its time again: the page may still be
    // busy with what it was paused for.
    if (--m_pauses == 0)
        waitAgain();
}

bool HangWatch::isHung() const
{
    return !isPaused() && (waitedTooLong(m_navigationAskedAt) || waitedTooLong(m_probeSentAt));
}
