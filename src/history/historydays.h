#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

// The day groups of the history window and the spans that "Clear history..." removes.
namespace History {

// "Today", "Yesterday", else the date in the locale's short form.
QString dayLabel(const QDate &day, const QDate &today, const QLocale &locale = QLocale());

enum class ClearRange { LastHour, Today, Everything };

// Times in milliseconds since the epoch, both ends included. The span reaches into the
// future, so that a visit stamped by a clock set ahead goes too.
struct TimeSpan
{
    qint64 from = 0;
    qint64 to = 0;
};
TimeSpan clearSpan(ClearRange range, const QDateTime &now);

} // namespace History
