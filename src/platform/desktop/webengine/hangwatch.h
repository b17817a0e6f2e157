#pragma once

#include <functional>
#include <QtGlobal>

// Decides when a page has stopped answering: a probe sent to the page has had no answer for
// too long. Only time in which the page could have answered counts: not while it is being
// laid out for printing or its print preview is open (paused), not while the user is asked
// something the page may be waiting for (held), not while the program's own event loop was
// starved and could not have taken the answer, and not while a load is making progress.
class HangWatch
{
public:
    // Milliseconds from a steady clock.
    using Clock = std::function<qint64()>;
    static constexpr qint64 HangMs = 10'000;

    explicit HangWatch(Clock clock = {});

    void probeSent();
    void probeAnswered();
    // The page's load has moved on: the page is busy, not stuck, and has its time again.
    void progressMade();
    // The page has moved on or gone: nothing asked of it is waited for any more.
    void stopWaiting();
    // Asked about the hang and told to wait: the page has its time again.
    void waitAgain();

    // The watch's look at the page, meant to come every intervalMs. The time the look comes
    // late by was the program's own, and the time since the last look does not count at all
    // when held (a question to the user is open).
    void tick(qint64 intervalMs, bool held);

    // Pauses nest; the watch runs again when the last one ends.
    void pause();
    void resume();
    bool isPaused() const { return m_pauses > 0; }

    bool isHung() const;
    // A probe may go out: none is waiting for its answer, and the watch runs.
    bool wantsProbe() const { return !isPaused() && m_probeSentAt < 0; }

private:
    qint64 now() const { return m_clock(); }

    Clock m_clock;
    // When the probe went out, moved later by the time that does not count.
    qint64 m_probeSentAt = -1;
    qint64 m_lastTick = -1;
    int m_pauses = 0;
};
