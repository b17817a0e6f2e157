#pragma once

#include "platform/api/sitedata.h"
#include "platform/desktop/profiledata/pagestorage.h"

#include <memory>
#include <QHash>
#include <QList>
#include <QNetworkCookie>
#include <QPointer>
#include <QSet>

class QWebEnginePage;
class QWebEngineProfile;
class StorageClearing;
class WebBrowserControl;

// The site data of the engine's profile: its cookie store, cache and visited links, and its
// storage folder. Third-party cookies are refused except for the pages of the sites allowed.
// The pages' storage is cleared through pages of each origin's own; what they cannot reach is
// marked, by origin, for the next start.
class WebEngineSiteData final : public SiteData
{
    Q_OBJECT

public:
    explicit WebEngineSiteData(const QStringList &thirdPartyCookieSites);
    ~WebEngineSiteData() override;

    // Follows the profile of the control; the first control's profile is the one kept.
    void attach(WebBrowserControl *control);

    QList<StoredCookie> cookies() const override;
    void removeCookies(const QString &site) override;
    void clearCookies() override;
    void clearCache() override;
    void clearVisitedLinks() override;
    void forgetVisitedLinks(const QStringList &urls) override;
    void clearStorage() override;
    QStringList storageSites() const override;
    void removeStorage(const QString &site) override;
    void setThirdPartyCookieSites(const QStringList &sites) override;

    // Shared with the cookie filter, which the engine calls on its own thread.
    struct Exceptions;

private:
    // A clearing asked for, and the origins it still waits for.
    struct Clearing
    {
        QString site;
        QSet<QString> pending;
        QStringList waiting;
    };

    void follow(QWebEngineProfile *profile);
    void watch(QWebEnginePage *page);
    // Clears the storage of the origins of site, of all origins when it is empty.
    void clearOrigins(const QString &site);
    void originEnded(const QString &origin, bool cleared);
    // Marks the origin's emptied folders to go at the next start, once the engine is done with
    // them, unless pages may have used them since.
    void noteEmptied(const QString &folder, const QString &origin);
    void settle(const QString &origin);
    QStringList shownOrigins() const;
    // The origins known to keep storage, the shown pages' first, and those loaded in this run.
    QStringList knownOrigins(const QString &folder, const PageStorage::HeldStorage &held) const;
    // Fails with PlatformError before the first control's profile is known.
    QString storageFolder() const;

    std::shared_ptr<Exceptions> m_exceptions;
    QPointer<QWebEngineProfile> m_profile;
    std::weak_ptr<QWebEngineProfile> m_sharedProfile;
    QList<QNetworkCookie> m_cookies;
    QList<QPointer<QWebEnginePage>> m_pages;
    // When each origin's pages were last loaded, and when it was last cleared, in this run.
    QHash<QString, qint64> m_loaded;
    QHash<QString, qint64> m_cleared;
    // What waits for the next start of each origin being cleared, once it is.
    QList<PageStorage::OriginRemoval> m_left;
    QList<Clearing> m_clearings;
    // The storage folder and the moment of each origin whose databases were emptied lately.
    QHash<QString, std::pair<QString, qint64>> m_settling;
    StorageClearing *m_storageClearing;
};
