#pragma once

#include <deque>
#include <QtGlobal>
#include <utility>

// How fast bytes arrive over the last few seconds. An average since a download started
// counts what the engine fetched while the save question was open, and hides a stall.
class TransferRate
{
public:
    static constexpr qint64 WindowMs = 5000;

    // The bytes received in all by the time given, in ms on any one clock.
    void add(qint64 atMs, qint64 bytes)
    {
        m_samples.emplace_back(atMs, bytes);
        // One sample at or before the window's start stays, as the base of the rate.
        while (m_samples.size() > 2 && m_samples[1].first <= atMs - WindowMs)
            m_samples.pop_front();
    }

    qint64 bytesPerSecond(qint64 nowMs) const
    {
        if (m_samples.size() < 2)
            return 0;
        // Without new bytes the window moves on and the rate falls.
        auto base = m_samples.front();
        for (const auto &sample : m_samples) {
            if (sample.first > nowMs - WindowMs)
                break;
            base = sample;
        }
        const qint64 bytes = m_samples.back().second - base.second;
        const qint64 ms = nowMs - base.first;
        return ms > 0 && bytes > 0 ? bytes * 1000 / ms : 0;
    }

private:
    std::deque<std::pair<qint64, qint64>> m_samples; // (ms, bytes in all), oldest first
};
