#include "platform/desktop/blocking/blockingsettings.h"

#include "platform/api/platformerror.h"
#include "platform/api/settingsstore.h"

#include <QUrl>

namespace BlockingSettings {

QString application()
{
    return QStringLiteral("ZivaruruviVO");
}

QString section()
{
    return QStringLiteral("Blocking");
}

QString sitesSection()
{
    return QStringLiteral("BlockingAllowedSites");
}

bool isEnabled(const SettingsStore &store)
{
    return store.GetSetting(application(), section(), QStringLiteral("Enabled"))
        != QLatin1String("0");
}

void setEnabled(SettingsStore &store, bool enabled)
{
    if (enabled)
        store.DeleteSetting(application(), section(), QStringLiteral("Enabled"));
    else
        store.SaveSetting(application(), section(), QStringLiteral("Enabled"), QStringLiteral("0"));
}

QString siteOf(const QString &url)
{
    return QUrl(url).host().toLower();
}

QSet<QString> allowedSites(const SettingsStore &store)
{
    QSet<QString> sites;
    for (const auto &[host, value] : store.GetAllSettings(application(), sitesSection())) {
        if (value == QLatin1String("1"))
            sites.insert(host);
    }
    return sites;
}

void setAllowedOn(SettingsStore &store, const QString &url, bool allowed)
{
    const QString site = siteOf(url);
    if (site.isEmpty())
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            QStringLiteral("This page has no site to allow: %1").arg(url));
    if (allowed)
        store.SaveSetting(application(), sitesSection(), site, QStringLiteral("1"));
    else
        store.DeleteSetting(application(), sitesSection(), site);
}

} // namespace BlockingSettings
