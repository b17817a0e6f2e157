#include "platform/desktop/webengine/hangwatch.h"

#include <algorithm>
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

void HangWatch::probeSent()
{
    m_probeSentAt = now();
}

void HangWatch::probeAnswered()
{
    m_probeSentAt = -1;
}

void HangWatch::progressMade()
{
    waitAgain();
}

void HangWatch::stopWaiting()
{
    m_probeSentAt = -1;
}

void HangWatch::waitAgain()
{
    if (m_probeSentAt >= 0)
        m_probeSentAt = now();
}

void HangWatch::tick(qint64 intervalMs, bool held)
{
    const qint64 at = now();
    const qint64 since = m_lastTick < 0 ? 0 : at - m_lastTick;
    m_lastTick = at;
    const qint64 lost = held ? since : since - intervalMs;
    if (m_probeSentAt >= 0 && lost > 0)
        m_probeSentAt = std::min(at, m_probeSentAt + lost);
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
    return !isPaused() && m_probeSentAt >= 0 && now() - m_probeSentAt >= HangMs;
}
