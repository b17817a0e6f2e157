#include "navigation/sitezoom.h"

#include "platform/api/settingsstore.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <QUrl>

namespace SiteZoom {

namespace {

int percentOf(qreal factor)
{
    return int(std::lround(factor * 100));
}

} // namespace

QString application()
{
    return QStringLiteral("ZivaruruviVO");
}

QString section()
{
    return QStringLiteral("Zoom");
}

qreal stepped(qreal factor, bool up)
{
    const int percent = percentOf(factor);
    if (up) {
        const auto next = std::upper_bound(std::begin(Steps), std::end(Steps), percent);
        return (next == std::end(Steps) ? Steps[std::size(Steps) - 1] : *next) / 100.0;
    }
    const auto next = std::lower_bound(std::begin(Steps), std::end(Steps), percent);
    return (next == std::begin(Steps) ? Steps[0] : *std::prev(next)) / 100.0;
}

QString percentText(qreal factor)
{
    return QStringLiteral("%1 %").arg(percentOf(factor));
}

QString hostOf(const QString &url)
{
    return QUrl(url).host().toLower();
}

qreal forAddress(const SettingsStore &store, const QString &url)
{
    const QString host = hostOf(url);
    if (host.isEmpty())
        return 1.0;
    bool isNumber = false;
    const int percent = store.GetSetting(application(), section(), host).toInt(&isNumber);
    if (!isNumber || percent < Steps[0] || percent > Steps[std::size(Steps) - 1])
        return 1.0;
    return percent / 100.0;
}

void keep(SettingsStore &store, const QString &url, qreal factor)
{
    const QString host = hostOf(url);
    if (host.isEmpty())
        return;
    if (percentOf(factor) == 100)
        store.DeleteSetting(application(), section(), host);
    else
        store.SaveSetting(application(), section(), host, QString::number(percentOf(factor)));
}

} // namespace SiteZoom
