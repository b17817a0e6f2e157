#pragma once

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
