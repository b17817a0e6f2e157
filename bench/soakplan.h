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
// timer's period; then the median of five readings a tenth of a second apart.
inline MemoryReading settledProgramMemory(std::chrono::milliseconds rest)
{
    waitFor([] { return false; }, int(rest.count()));
    QList<MemoryReading> readings { readProgramMemory() };
    while (readings.size() < 5) {
        waitFor([] { return false; }, 100);
        readings.append(readProgramMemory());
    }
    std::sort(readings.begin(), readings.end(),
              [](const MemoryReading &a, const MemoryReading &b) { return a.all < b.all; });
    return readings.at(readings.size() / 2);
}
