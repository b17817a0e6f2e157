#pragma once

#include "platform/api/sitedata.h"

// Site data as the test sets it: the cookies in memory, and every clearing in a journal
// ("cookies", "cache", "visited links", "visited links of <url>", "storage",
// "cookies of <site>", "storage of <site>").
class FakeSiteData final : public SiteData
{
public:
    QList<StoredCookie> cookies() const override { return cookieList; }
    void removeCookies(const QString &site) override
    {
        journal.append(QStringLiteral("cookies of ") + site);
        cookieList.removeIf([&](const StoredCookie &cookie) {
            return cookie.domain == site || cookie.domain.endsWith(QLatin1Char('.') + site);
        });
        Q_EMIT cookiesChanged();
    }
    void clearCookies() override
    {
        journal.append(QStringLiteral("cookies"));
        cookieList.clear();
        Q_EMIT cookiesChanged();
    }
    void clearCache() override { journal.append(QStringLiteral("cache")); }
    void clearVisitedLinks() override { journal.append(QStringLiteral("visited links")); }
    void forgetVisitedLinks(const QStringList &urls) override
    {
        for (const QString &url : urls)
            journal.append(QStringLiteral("visited links of ") + url);
    }
    void clearStorage() override
    {
        journal.append(QStringLiteral("storage"));
        Q_EMIT storageCleared({}, waitingSites);
    }
    QStringList storageSites() const override { return storedSites; }
    void removeStorage(const QString &site) override
    {
        journal.append(QStringLiteral("storage of ") + site);
        storedSites.removeAll(site);
        Q_EMIT storageCleared(site, waitingSites);
    }
    void setThirdPartyCookieSites(const QStringList &sites) override { thirdPartySites = sites; }

    QList<StoredCookie> cookieList;
    QStringList storedSites;
    // What each clearing of stored data reports as waiting for the next start.
    QStringList waitingSites;
    QStringList journal;
    QStringList thirdPartySites;
};
