#include "platform/desktop/profiledata/webenginesitedata.h"

#include "platform/api/failure.h"
#include "platform/api/platformerror.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/profiledata/cookiefile.h"
#include "platform/desktop/profiledata/pageorigins.h"
#include "platform/desktop/profiledata/storageclearing.h"
#include "platform/desktop/profiledata/webprofile.h"

#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

struct WebEngineSiteData::Exceptions
{
    mutable QMutex lock;
    QStringList sites;

    bool allows(const QString &host) const
    {
        const QMutexLocker locked(&lock);
        return PageStorage::coveredByAny(sites, host);
    }
};

namespace {

using OriginRemoval = PageStorage::OriginRemoval;

// How long the engine is given to finish writing in the folders of the databases it deleted.
constexpr int SettleMs = 500;

StoredCookie storedOf(const QNetworkCookie &cookie)
{
    return { cookie.domain(), cookie.path(), cookie.name() };
}

// The site an origin is listed under: its host, or the origin itself for local files.
QString siteOf(const QString &origin)
{
    const QString host = PageOrigins::hostOf(origin);
    return host.isEmpty() ? origin : host;
}

bool ofSite(const QString &site, const QString &origin)
{
    return site.isEmpty() || PageStorage::covers(site, PageOrigins::hostOf(origin));
}

} // namespace

WebEngineSiteData::WebEngineSiteData(const QStringList &thirdPartyCookieSites)
    : m_exceptions(std::make_shared<Exceptions>())
    , m_storageClearing(new StorageClearing(this))
{
    setThirdPartyCookieSites(thirdPartyCookieSites);
    connect(m_storageClearing, &StorageClearing::originEnded, this,
            &WebEngineSiteData::originEnded);
}

WebEngineSiteData::~WebEngineSiteData()
{
    for (const QString &origin : m_settling.keys())
        settle(origin);
    // The profile may outlive us; its filter must not call into what has gone.
    if (m_profile)
        m_profile->cookieStore()->setCookieFilter(nullptr);
}

void WebEngineSiteData::attach(WebBrowserControl *control)
{
    auto *view = qobject_cast<QWebEngineView *>(control->widget());
    if (!view || !view->page())
        return;
    if (auto shared = WebProfile::current(); shared && shared.get() == view->page()->profile())
        m_sharedProfile = shared;
    if (view->page()->profile() != m_profile)
        follow(view->page()->profile());
    watch(view->page());
}

void WebEngineSiteData::watch(QWebEnginePage *page)
{
    m_pages.removeAll(nullptr);
    m_pages.append(page);
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        if (const QString origin = PageOrigins::of(url); !origin.isEmpty())
            m_loaded.insert(origin, QDateTime::currentMSecsSinceEpoch());
    });
    // A page about to load does not wait behind other origins' clearing for its own.
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            m_storageClearing->hurry(PageOrigins::of(info.url()));
    });
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

void WebEngineSiteData::clearStorage()
{
    clearOrigins({});
}

void WebEngineSiteData::removeStorage(const QString &site)
{
    clearOrigins(site);
}

QStringList WebEngineSiteData::storageSites() const
{
    if (!m_profile)
        return {};
    const QString folder = m_profile->persistentStoragePath();
    // Local storage was read at the start; folders of origins that stored data since are
    // seen as they come.
    const QStringList origins
        = PageStorage::originsAtStart(folder) + PageStorage::originsWithFolders(folder);
    const QList<OriginRemoval> marked = PageStorage::originsMarked(folder);
    const QStringList markedSites = PageStorage::sitesMarked(folder);
    QStringList sites;
    for (const QString &origin : origins) {
        const qint64 cleared = m_cleared.value(origin, -1);
        if (cleared >= 0 && m_loaded.value(origin, -1) <= cleared)
            continue;
        const bool goes
            = std::any_of(marked.cbegin(), marked.cend(), [&](const OriginRemoval &removal) {
                  return removal.origin == origin && (removal.kinds & OriginRemoval::LocalStorage);
              });
        const QString site = siteOf(origin);
        if (!goes && !PageStorage::coveredByAny(markedSites, site) && !sites.contains(site))
            sites.append(site);
    }
    sites.sort();
    return sites;
}

QStringList WebEngineSiteData::knownOrigins(const QString &folder,
                                            const PageStorage::HeldStorage &held) const
{
    QStringList origins = PageStorage::originsAtStart(folder)
        + PageStorage::originsWithFolders(folder) + held.localStorage
        + held.serviceWorkers.uniqueKeys() + m_loaded.keys();
    origins.removeAll(QString());
    origins.removeDuplicates();
    origins.sort();
    // The shown pages first: what they do next is the most likely to meet a clearing.
    for (const QString &shown : shownOrigins()) {
        if (origins.removeAll(shown) > 0)
            origins.prepend(shown);
    }
    return origins;
}

void WebEngineSiteData::clearOrigins(const QString &site)
{
    const QString folder = storageFolder();
    const std::shared_ptr<QWebEngineProfile> profile = m_sharedProfile.lock();
    const PageStorage::HeldStorage held = PageStorage::readHeld(folder, true);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    Clearing clearing { site, {}, {} };
    QList<OriginRemoval> removals;
    QList<StorageClearing::Target> live;
    for (const QString &origin : knownOrigins(folder, held)) {
        if (!ofSite(site, origin))
            continue;
        // Until the page has cleared it, all of the origin's storage waits for the next start;
        // once it has, its service workers and its databases of the older kind (WebSQL), which
        // no page can name, still do.
        OriginRemoval removal { origin, OriginRemoval::All, held.serviceWorkers.values(origin) };
        OriginRemoval left { origin, 0, removal.serviceWorkers };
        if (PageStorage::hasFolder(folder, origin, OriginRemoval::WebSql))
            left.kinds = OriginRemoval::WebSql;
        if (profile && PageOrigins::reachable(origin)) {
            live.append({ origin, PageStorage::hasFolder(folder, origin, OriginRemoval::IndexedDb),
                          PageStorage::hasFolder(folder, origin, OriginRemoval::CacheStorage) });
            clearing.pending.insert(origin);
            PageStorage::join(m_left, left);
        } else {
            clearing.waiting.append(siteOf(origin));
        }
        removals.append(removal);
        m_cleared.insert(origin, now);
    }
    // The session storage of a shown page is its own, out of reach of other pages.
    for (const QPointer<QWebEnginePage> &page : m_pages) {
        if (page && ofSite(site, PageOrigins::of(page->url())))
            page->runJavaScript(QStringLiteral("try { sessionStorage.clear(); } catch (e) {}"),
                                QWebEngineScript::ApplicationWorld);
    }
    if (clearing.pending.isEmpty()) {
        clearing.waiting.removeDuplicates();
        QTimer::singleShot(
            0, this, [this, clearing] { Q_EMIT storageCleared(clearing.site, clearing.waiting); });
    } else {
        m_clearings.append(clearing);
        m_storageClearing->clear(profile, live);
    }
    // Written once the clearing has begun, so that a mark that cannot be written stops nothing.
    PageStorage::markOrigins(folder, removals);
}

QStringList WebEngineSiteData::shownOrigins() const
{
    QStringList origins;
    for (const QPointer<QWebEnginePage> &page : m_pages) {
        if (page)
            origins.append(PageOrigins::of(page->url()));
    }
    return origins;
}

void WebEngineSiteData::noteEmptied(const QString &folder, const QString &origin)
{
    // The engine goes on writing in the emptied databases' folders for a moment.
    m_settling.insert(origin, { folder, QDateTime::currentMSecsSinceEpoch() });
    QTimer::singleShot(SettleMs, this, [this, origin] { settle(origin); });
}

void WebEngineSiteData::settle(const QString &origin)
{
    const auto emptied = m_settling.find(origin);
    if (emptied == m_settling.end())
        return;
    const auto [folder, ended] = *emptied;
    m_settling.erase(emptied);
    // What a page of the origin wrote meanwhile cannot be told from the engine's own writing:
    // the folders go at the next start only when no page of the origin was loaded or shown
    // then, and nothing is written in them from now on.
    if (m_loaded.value(origin, -1) >= ended || shownOrigins().contains(origin)
        || m_storageClearing->isPending(origin))
        return;
    OriginRemoval removal;
    removal.origin = origin;
    removal.emptiedAt = QDateTime::currentMSecsSinceEpoch();
    Failure::skip([&] { PageStorage::markOrigins(folder, { removal }); });
}

void WebEngineSiteData::originEnded(const QString &origin, bool cleared)
{
    OriginRemoval left;
    left.origin = origin;
    const auto known = std::find_if(m_left.begin(), m_left.end(),
                                    [&](const OriginRemoval &l) { return l.origin == origin; });
    if (known != m_left.end()) {
        left = *known;
        m_left.erase(known);
    }
    if (cleared && m_profile) {
        const QString folder = m_profile->persistentStoragePath();
        Failure::skip([&] { PageStorage::remarkOrigin(folder, left); });
        if (PageStorage::hasFolder(folder, origin,
                                   OriginRemoval::IndexedDb | OriginRemoval::CacheStorage))
            noteEmptied(folder, origin);
    }
    for (Clearing &clearing : m_clearings) {
        if (clearing.pending.remove(origin) && !cleared)
            clearing.waiting.append(siteOf(origin));
    }
    const auto done = std::stable_partition(m_clearings.begin(), m_clearings.end(),
                                            [](const Clearing &c) { return !c.pending.isEmpty(); });
    const QList<Clearing> ended(done, m_clearings.end());
    m_clearings.erase(done, m_clearings.end());
    for (Clearing clearing : ended) {
        clearing.waiting.removeDuplicates();
        clearing.waiting.sort();
        Q_EMIT storageCleared(clearing.site, clearing.waiting);
    }
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
