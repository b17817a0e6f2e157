#include "platform/desktop/webengine/webenginesitedata.h"

#include "platform/api/platformerror.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/webengine/cookiefile.h"
#include "platform/desktop/webengine/pagestorage.h"

#include <QMutex>
#include <QMutexLocker>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

struct WebEngineSiteData::Exceptions
{
    mutable QMutex lock;
    QStringList sites;

    bool allows(const QString &host) const
    {
        const QMutexLocker locked(&lock);
        const QString h = host.toLower();
        for (const QString &site : sites) {
            if (h == site || h.endsWith(QLatin1Char('.') + site))
                return true;
        }
        return false;
    }
};

namespace {

StoredCookie storedOf(const QNetworkCookie &cookie)
{
    return { cookie.domain(), cookie.path(), cookie.name() };
}

} // namespace

WebEngineSiteData::WebEngineSiteData(const QStringList &thirdPartyCookieSites)
    : m_exceptions(std::make_shared<Exceptions>())
{
    setThirdPartyCookieSites(thirdPartyCookieSites);
}

WebEngineSiteData::~WebEngineSiteData()
{
    // The profile may outlive us; its filter must not call into what has gone.
    if (m_profile)
        m_profile->cookieStore()->setCookieFilter(nullptr);
}

void WebEngineSiteData::attach(WebBrowserControl *control)
{
    auto *view = qobject_cast<QWebEngineView *>(control->widget());
    if (view && view->page() && view->page()->profile() != m_profile)
        follow(view->page()->profile());
}

void WebEngineSiteData::follow(QWebEngineProfile *profile)
{
    if (m_profile)
        m_profile->cookieStore()->disconnect(this);
    m_profile = profile;
    // The engine reports the cookies set while it runs, not those it kept from earlier runs.
    m_cookies = CookieFile::keptAtStart(profile->persistentStoragePath());
    QWebEngineCookieStore *store = profile->cookieStore();
    store->setCookieFilter(
        [exceptions = m_exceptions](const QWebEngineCookieStore::FilterRequest &request) {
            return !request.thirdParty
                || exceptions->allows(request.firstPartyUrl.host(QUrl::FullyEncoded));
        });
    connect(store, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie &cookie) {
        m_cookies.removeIf(
            [&](const QNetworkCookie &known) { return known.hasSameIdentifier(cookie); });
        m_cookies.append(cookie);
        Q_EMIT cookiesChanged();
    });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie &cookie) {
                m_cookies.removeIf(
                    [&](const QNetworkCookie &known) { return known.hasSameIdentifier(cookie); });
                Q_EMIT cookiesChanged();
            });
}

QList<StoredCookie> WebEngineSiteData::cookies() const
{
    QList<StoredCookie> cookies;
    for (const QNetworkCookie &cookie : m_cookies)
        cookies.append(storedOf(cookie));
    return cookies;
}

void WebEngineSiteData::removeCookies(const QString &site)
{
    if (!m_profile)
        return;
    for (const QNetworkCookie &cookie : QList<QNetworkCookie>(m_cookies)) {
        if (PageStorage::covers(site, storedOf(cookie).site()))
            m_profile->cookieStore()->deleteCookie(cookie);
    }
}

void WebEngineSiteData::clearCookies()
{
    if (!m_profile)
        return;
    m_profile->cookieStore()->deleteAllCookies();
    m_cookies.clear();
    Q_EMIT cookiesChanged();
}

void WebEngineSiteData::clearCache()
{
    if (m_profile)
        m_profile->clearHttpCache();
}

void WebEngineSiteData::clearVisitedLinks()
{
    if (m_profile)
        m_profile->clearAllVisitedLinks();
}

void WebEngineSiteData::forgetVisitedLinks(const QStringList &urls)
{
    if (!m_profile || urls.isEmpty())
        return;
    QList<QUrl> links;
    for (const QString &url : urls)
        links.append(QUrl(url));
    m_profile->clearVisitedLinks(links);
}

void WebEngineSiteData::clearStorageAtNextStart()
{
    PageStorage::markForRemoval(storageFolder());
}

QStringList WebEngineSiteData::storageSites() const
{
    if (!m_profile)
        return {};
    const QString folder = m_profile->persistentStoragePath();
    // Local storage was read at the start; folders of origins that stored data since are
    // seen as they come.
    QStringList hosts = PageStorage::hostsAtStart(folder);
    for (const QString &host : PageStorage::hostsWithFolders(folder)) {
        if (!hosts.contains(host))
            hosts.append(host);
    }
    const QStringList marked = PageStorage::sitesMarked(folder);
    hosts.removeIf([&](const QString &host) { return PageStorage::coveredByAny(marked, host); });
    hosts.sort();
    return hosts;
}

void WebEngineSiteData::removeStorageAtNextStart(const QString &site)
{
    PageStorage::markSiteForRemoval(storageFolder(), site);
}

QString WebEngineSiteData::storageFolder() const
{
    if (!m_profile)
        throw PlatformError(75, tr("The pages' stored data cannot be reached."));
    return m_profile->persistentStoragePath();
}

void WebEngineSiteData::setThirdPartyCookieSites(const QStringList &sites)
{
    const QMutexLocker locked(&m_exceptions->lock);
    m_exceptions->sites.clear();
    for (const QString &site : sites)
        m_exceptions->sites.append(site.toLower());
}
