#pragma once

#include <functional>
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>

// What the benchmarks that drive the real window share: their pages and their waits.

inline constexpr int BenchLoadTimeoutMs = 60'000;

inline QByteArray page(const QByteArray &title, const QByteArray &body)
{
    return "<!DOCTYPE html><html><head><title>" + title + "</title></head><body>" + body
        + "</body></html>";
}

// Lets the event loop run until done holds; false when it did not within the time.
inline bool waitFor(const std::function<bool()> &done, int timeoutMs = BenchLoadTimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
