#include "sitedata/clearchoice.h"

#include <algorithm>
#include <QList>
#include <QPair>

namespace ClearData {

qint64 startOf(Span span, qint64 now)
{
    constexpr qint64 Hour = 60LL * 60 * 1000;
    switch (span) {
    case Span::LastHour:
        return now - Hour;
    case Span::LastDay:
        return now - 24 * Hour;
    case Span::LastWeek:
        return now - 7 * 24 * Hour;
    case Span::Everything:
        break;
    }
    return std::numeric_limits<qint64>::min();
}

QStringList shownSince(const QHash<QString, qint64> &lastShown, qint64 from)
{
    QList<QPair<qint64, QString>> shown;
    for (auto it = lastShown.cbegin(); it != lastShown.cend(); ++it) {
        if (it.value() >= from)
            shown.append({ it.value(), it.key() });
    }
    std::sort(shown.begin(), shown.end());
    QStringList addresses;
    for (const auto &[time, address] : shown)
        addresses.append(address);
    return addresses;
}

} // namespace ClearData
