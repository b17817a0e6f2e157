#include "platform/desktop/webengine/webenginesitedata.h"

#include "platform/api/platformerror.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/webengine/pagestorage.h"

#include <QMutex>
#include <QMutexLocker>
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
    m_cookies.clear();
    QWebEngineCookieStore *store = profile->cookieStore();
    store->setCookieFilter(
        [exceptions = m_exceptions](const QWebEngineCookieStore::FilterRequest &request) {
            return !request.thirdParty || exceptions->allows(request.firstPartyUrl.host());
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
    store->loadAllCookies();
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
    const QString s = site.toLower();
    for (const QNetworkCookie &cookie : QList<QNetworkCookie>(m_cookies)) {
        QString domain = cookie.domain().toLower();
        if (domain.startsWith(QLatin1Char('.')))
            domain.remove(0, 1);
        if (domain == s || domain.endsWith(QLatin1Char('.') + s))
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

void WebEngineSiteData::clearStorageAtNextStart()
{
    if (!m_profile)
        throw PlatformError(75, tr("The pages' stored data cannot be reached."));
    PageStorage::markForRemoval(m_profile->persistentStoragePath());
}

void WebEngineSiteData::setThirdPartyCookieSites(const QStringList &sites)
{
    const QMutexLocker locked(&m_exceptions->lock);
    m_exceptions->sites.clear();
    for (const QString &site : sites)
        m_exceptions->sites.append(site.toLower());
}
