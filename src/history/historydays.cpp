#include "history/historydays.h"

#include <limits>
#include <QCoreApplication>
#include <QTimeZone>

namespace History {

QString dayLabel(const QDate &day, const QDate &today, const QLocale &locale)
{
    if (day == today)
        return QCoreApplication::translate("History", "Today");
    if (day == today.addDays(-1))
        return QCoreApplication::translate("History", "Yesterday");
    return locale.toString(day, QLocale::ShortFormat);
}

TimeSpan clearSpan(ClearRange range, const QDateTime &now)
{
    constexpr qint64 Latest = std::numeric_limits<qint64>::max();
    switch (range) {
    case ClearRange::LastHour:
        return { now.toMSecsSinceEpoch() - 60LL * 60 * 1000, Latest };
    case ClearRange::Today:
        return { now.date().startOfDay(now.timeZone()).toMSecsSinceEpoch(), Latest };
    case ClearRange::Everything:
        break;
    }
    return { std::numeric_limits<qint64>::min(), Latest };
}

} // namespace History
