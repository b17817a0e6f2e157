#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// One cookie the engine keeps, as the site window lists it.
struct StoredCookie
{
    QString domain; // as set: "example.com", or ".example.com" for its subdomains too
    QString path;
    QByteArray name;

    // The site it belongs to: its domain without the leading dot, in lower case.
    QString site() const
    {
        const QString site = domain.toLower();
        return site.startsWith(QLatin1Char('.')) ? site.mid(1) : site;
    }

    bool operator==(const StoredCookie &) const = default;
};

// What the engine keeps for the sites visited: cookies, the cache, the visited links and the
// pages' own storage. Removals take effect at once; the pages' storage, which the engine holds
// open while it runs, is cleared through the engine, and what that cannot reach goes at the
// next start (what pages store after the clearing is kept).
class SiteData : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~SiteData() override = default;

    // The cookies known so far; they come in after the first control is made.
    virtual QList<StoredCookie> cookies() const = 0;
    // The cookies whose domain is site or lies under it.
    virtual void removeCookies(const QString &site) = 0;
    virtual void clearCookies() = 0;
    virtual void clearCache() = 0;
    virtual void clearVisitedLinks() = 0;
    // The visited links of these addresses only.
    virtual void forgetVisitedLinks(const QStringList &urls) = 0;
    // The pages' stored data; storageCleared() follows. The clearings fail with PlatformError
    // when what waits for the next start cannot be noted (what could be cleared still is).
    virtual void clearStorage() = 0;
    // The host names whose pages keep stored data (local storage, databases, caches), as far
    // as it can be read while the engine holds it open; a site cleared since is not among them
    // until its pages are loaded again.
    virtual QStringList storageSites() const = 0;
    // The stored data of the pages of site and its subdomains; storageCleared() follows.
    virtual void removeStorage(const QString &site) = 0;
    // The sites whose pages may get cookies from other sites; all others refuse them.
    virtual void setThirdPartyCookieSites(const QStringList &sites) = 0;

Q_SIGNALS:
    void cookiesChanged();
    // A clearing of stored data has ended, of all sites when site is empty. waiting: the sites
    // whose data could not be reached while the program runs, and goes when it next starts.
    void storageCleared(const QString &site, const QStringList &waiting);
};
