#pragma once

#include <limits>
#include <QHash>
#include <QString>
#include <QStringList>

// What the clearing of browsing data removes.
namespace ClearData {

enum class Span { LastHour, LastDay, LastWeek, Everything };

struct Choice
{
    bool history = true;
    bool cookies = true; // cookies and the pages' stored data
    bool cache = true;
    bool permissions = false;
    Span span = Span::LastHour;
};

// The earliest time cleared, in milliseconds since the epoch; later visits go too, so that
// one stamped by a clock set ahead is not kept.
qint64 startOf(Span span, qint64 now);
constexpr qint64 Latest = std::numeric_limits<qint64>::max();

// The addresses last shown at or after from, oldest first.
QStringList shownSince(const QHash<QString, qint64> &lastShown, qint64 from);

} // namespace ClearData
