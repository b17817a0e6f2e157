#pragma once

#include <functional>
#include <QtGlobal>

// Decides when a page has stopped answering: a navigation asked for has not started, or a
// probe sent to the page has had no answer, for too long. While the page is being laid out
// for printing, or its print preview is open, a slow answer is no hang: the watch is paused,
// and the time paused does not count.
class HangWatch
{
public:
    // Milliseconds from a steady clock.
    using Clock = std::function<qint64()>;
    static constexpr qint64 HangMs = 10'000;

    explicit HangWatch(Clock clock = {});

    void navigationAsked();
    void probeSent();
    void probeAnswered();
    // The page has moved on or gone: nothing asked of it is waited for any more.
    void stopWaiting();
    // Asked about the hang and told to wait: the page has its time again.
    void waitAgain();

    // Pauses nest; the watch runs again when the last one ends.
    void pause();
    void resume();
    bool isPaused() const { return m_pauses > 0; }

    bool isHung() const;
    // A probe may go out: none is waiting for its answer, and the watch runs.
    bool wantsProbe() const { return !isPaused() && m_probeSentAt < 0; }

private:
    qint64 now() const { return m_clock(); }
    bool waitedTooLong(qint64 since) const { return since >= 0 && now() - since >= HangMs; }

    Clock m_clock;
    qint64 m_navigationAskedAt = -1;
    qint64 m_probeSentAt = -1;
    int m_pauses = 0;
};
