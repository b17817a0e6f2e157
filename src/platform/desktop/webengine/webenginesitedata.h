#pragma once

#include "platform/api/sitedata.h"

#include <memory>
#include <QList>
#include <QNetworkCookie>
#include <QPointer>

class QWebEngineProfile;
class WebBrowserControl;

// The site data of the engine's profile: its cookie store, cache and visited links, and its
// storage folder. Third-party cookies are refused except for the pages of the sites allowed.
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
    void clearStorageAtNextStart() override;
    QStringList storageSites() const override;
    void removeStorageAtNextStart(const QString &site) override;
    void setThirdPartyCookieSites(const QStringList &sites) override;

    // Shared with the cookie filter, which the engine calls on its own thread.
    struct Exceptions;

private:
    void follow(QWebEngineProfile *profile);
    // Fails with PlatformError before the first control's profile is known.
    QString storageFolder() const;

    std::shared_ptr<Exceptions> m_exceptions;
    QPointer<QWebEngineProfile> m_profile;
    QList<QNetworkCookie> m_cookies;
};
