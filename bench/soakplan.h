#pragma once

#include "benchpages.h"
#include "programmemory.h"

#include <algorithm>
#include <chrono>
#include <QList>
#include <QString>

// The long run's navigations, the same for Kestrav and for the bare view beside it.

inline constexpr int SoakNavigations = 1'000;
// The memory figure's first reading, after the caches have filled.
inline constexpr int SoakFirstReading = 100;

// The path of the nth navigation (from 1) on the run's loopback server.
inline QString soakPath(int n)
{
    if (n % 10 == 3)
        return QStringLiteral("/redirect");
    if (n % 10 == 6)
        return QStringLiteral("/missing/%1").arg(n);
    if (n % 100 == 40)
        return QStringLiteral("/large.html");
    if (n % 100 == 70)
        return QStringLiteral("/file.bin");
    if (n % 250 == 125)
        return QStringLiteral("/hang.html");
    return QStringLiteral("/page/%1").arg(n % 50);
}

// After the nth navigation, the page's process is killed.
inline bool soakKillsPage(int n)
{
    return n % 100 == 90 && soakPath(n) != QStringLiteral("/hang.html");
}

// The long run's memory at rest: the program goes on with its events for the given time first,
// so that memory given back on a timer counts the same wherever the reading falls in the
// timer's period; then readings half a second apart until three in a row agree within 1 %
// (a minute at most), and the median of those. On a busy machine the engine's processes take
// longer to settle after a page, and a fixed wait would read them halfway. The pages the
// processes hold themselves are read: the share of a library's pages changes with whatever
// else on the machine maps it.
inline MemoryReading settledProgramMemory(std::chrono::milliseconds rest)
{
    waitFor([] { return false; }, int(rest.count()));
    QList<MemoryReading> readings { readProgramMemory(QCoreApplication::applicationPid(),
                                                      Pages::Held) };
    const auto settled = [&] {
        if (readings.size() < 3)
            return false;
        const auto last = readings.mid(readings.size() - 3);
        const auto [low, high] = std::minmax_element(
            last.cbegin(), last.cend(),
            [](const MemoryReading &a, const MemoryReading &b) { return a.all < b.all; });
        return high->all - low->all <= high->all / 100;
    };
    while (!settled() && readings.size() < 120) {
        waitFor([] { return false; }, 500);
        readings.append(readProgramMemory(QCoreApplication::applicationPid(), Pages::Held));
    }
    QList<MemoryReading> last = readings.mid(readings.size() - 3);
    std::sort(last.begin(), last.end(),
              [](const MemoryReading &a, const MemoryReading &b) { return a.all < b.all; });
    return last.at(1);
}
