#include "sitedata/sitelist.h"

#include <algorithm>
#include <QMap>

namespace SiteList {

QString siteOfCookie(const StoredCookie &cookie)
{
    QString site = cookie.domain.toLower();
    if (site.startsWith(QLatin1Char('.')))
        site.remove(0, 1);
    return site;
}

bool covers(const QString &site, const QString &host)
{
    const QString s = site.toLower();
    const QString h = host.toLower();
    return !s.isEmpty() && (h == s || h.endsWith(QLatin1Char('.') + s));
}

QList<Site> sites(const QList<StoredCookie> &cookies, const QList<SitePermissions::Answer> &answers,
                  const QStringList &thirdPartyCookieSites)
{
    // A map keeps them sorted by name.
    QMap<QString, Site> byName;
    const auto entry = [&](const QString &name) -> Site & {
        Site &site = byName[name.toLower()];
        site.name = name.toLower();
        return site;
    };
    for (const StoredCookie &cookie : cookies) {
        if (const QString name = siteOfCookie(cookie); !name.isEmpty())
            entry(name).cookies.append(cookie);
    }
    for (const SitePermissions::Answer &answer : answers)
        entry(answer.site).answers.append(answer);
    for (const QString &name : thirdPartyCookieSites)
        entry(name).thirdPartyCookies = true;
    return byName.values();
}

} // namespace SiteList
