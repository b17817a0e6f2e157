#include "platform/desktop/blocking/desktopcontentblocking.h"

#include "contentblocking/filterengine.h"
#include "contentblocking/filtersources.h"
#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"
#include "platform/api/settingsstore.h"
#include "platform/api/startupphase.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/blocking/blockingsettings.h"
#include "platform/desktop/blocking/compiledformfile.h"
#include "platform/desktop/blocking/filterupdater.h"
#include "platform/desktop/blocking/localpagerequests.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
namespace {

using Info = QWebEngineUrlRequestInfo;

std::uint16_t requestType(Info::ResourceType type)
{
    switch (type) {
    case Info::ResourceTypeMainFrame:
        return Filters::Document;
    case Info::ResourceTypeSubFrame:
        return Filters::Subdocument;
    case Info::ResourceTypeStylesheet:
        return Filters::Stylesheet;
    case Info::ResourceTypeScript:
        return Filters::Script;
    case Info::ResourceTypeImage:
    case Info::ResourceTypeFavicon:
        return Filters::Image;
    case Info::ResourceTypeFontResource:
        return Filters::Font;
    case Info::ResourceTypeObject:
    case Info::ResourceTypePluginResource:
        return Filters::Object;
    case Info::ResourceTypeMedia:
        return Filters::Media;
    case Info::ResourceTypeXhr:
        return Filters::XmlHttpRequest;
    case Info::ResourceTypePing:
        return Filters::Ping;
    case Info::ResourceTypeWebSocket:
        return Filters::WebSocket;
    default:
        return Filters::Other;
    }
}

// Requests whose element shows a hole or a broken picture when they are blocked.
bool showsAsElement(Info::ResourceType type)
{
    switch (type) {
    case Info::ResourceTypeImage:
    case Info::ResourceTypeSubFrame:
    case Info::ResourceTypeObject:
    case Info::ResourceTypeMedia:
        return true;
    default:
        return false;
    }
}

bool isFiltered(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("https") || scheme == QLatin1String("http")
        || scheme == QLatin1String("wss") || scheme == QLatin1String("ws");
}

std::string_view viewOf(const QByteArray &bytes)
{
    return { bytes.constData(), std::size_t(bytes.size()) };
}

struct BuiltEngine
{
    std::shared_ptr<const Filters::FilterEngine> engine;
    // The compiled form could not be kept for the next run: the disk is full.
    bool cacheRefused = false;
};

// The compiled form kept from the last run when it is of these lists, else the lists compiled
// anew, and kept for the next run.
BuiltEngine buildEngine(const QStringList &lists, const QString &cacheFile)
{
    const QByteArray key = Filters::listsKey(lists);
    if (std::shared_ptr<const Filters::FilterEngine> engine = mapCompiledForm(cacheFile, key))
        return { engine };
    std::shared_ptr<const Filters::FilterEngine> engine = Filters::compileLists(lists);
    QDir().mkpath(QFileInfo(cacheFile).path());
    const std::string form = engine->save(viewOf(key));
    const AtomicFile::Outcome kept
        = AtomicFile::write(cacheFile, QByteArray::fromRawData(form.data(), qsizetype(form.size())),
                            AtomicFile::Links::StayInFolder);
    return { engine, kept.diskFull };
}

class ProfileInterceptor final : public QWebEngineUrlRequestInterceptor
{
public:
    explicit ProfileInterceptor(DesktopContentBlocking &blocking)
        : m_blocking(blocking)
    {
    }
    void interceptRequest(QWebEngineUrlRequestInfo &info) override { m_blocking.intercept(info); }

private:
    DesktopContentBlocking &m_blocking;
};

} // namespace

DesktopContentBlocking::DesktopContentBlocking(std::shared_ptr<SettingsStore> settings,
                                               QString dataFolder, QString cacheFolder)
    : m_settings(std::move(settings))
    , m_dataFolder(std::move(dataFolder))
    , m_cacheFolder(std::move(cacheFolder))
    , m_interceptor(std::make_unique<ProfileInterceptor>(*this))
    , m_enabled(BlockingSettings::isEnabled(*m_settings))
    , m_allowedSites(BlockingSettings::allowedSites(*m_settings))
    , m_updater(new FilterUpdater(this))
{
    connect(m_updater, &FilterUpdater::finished, this,
            [this](int updated, const QStringList &failures) {
                m_updateOutcome = failures.isEmpty()
                    ? tr("Filter lists updated (%1)").arg(updated)
                    : tr("Filter lists: %1 updated; kept the old list of %2")
                          .arg(updated)
                          .arg(failures.join(QStringLiteral("; ")));
                reload();
            });
    // Turned off, blocking costs nothing at start: the lists wait until it is turned on. On,
    // they are read once the start page, which they do not filter, is shown.
    if (m_enabled) {
        afterStartPage(this, [this] {
            if (m_enabled && !m_engine && !m_building)
                reload();
        });
    }
}

DesktopContentBlocking::~DesktopContentBlocking()
{
    for (const QPointer<PageBlocking> &page : std::as_const(m_pages)) {
        if (page)
            page->detach();
    }
    for (const QPointer<QWebEngineProfile> &profile : std::as_const(m_profiles)) {
        if (profile)
            profile->setUrlRequestInterceptor(nullptr);
    }
    if (m_building) {
        m_building->wait();
        delete m_building;
    }
}

void DesktopContentBlocking::attach(WebBrowserControl *control)
{
    auto *view = qobject_cast<QWebEngineView *>(control->widget());
    if (!view)
        return;
    QWebEnginePage *page = view->page();
    QWebEngineProfile *profile = page->profile();
    if (!m_profiles.contains(profile)) {
        profile->setUrlRequestInterceptor(m_interceptor.get());
        m_profiles.append(profile);
    }
    // Only a page whose requests pass the interceptor above may load local files.
    LocalPageRequests::openToItsFiles(*page);
    m_pages.removeAll(nullptr);
    m_pages.append(new PageBlocking(*this, control, page, view));
}

void DesktopContentBlocking::reload()
{
    if (m_building) {
        m_buildAgain = true;
        return;
    }
    const QStringList lists = Filters::defaultLists(Filters::userListFolder(m_dataFolder));
    const QString cacheFile = m_cacheFolder + QStringLiteral("/filters/engine.bin");
    auto built = std::make_shared<BuiltEngine>();
    m_building
        = QThread::create([lists, cacheFile, built] { *built = buildEngine(lists, cacheFile); });
    connect(m_building, &QThread::finished, this, [this, built, cacheFile] {
        m_building->deleteLater();
        m_building = nullptr;
        if (built->cacheRefused && !std::exchange(m_toldCacheRefused, true)) {
            Q_EMIT updateFinished(AtomicFile::diskFullText(
                QFileInfo(cacheFile).absolutePath(),
                tr("the filter lists will be read anew at the next start.")));
        }
        engineBuilt(built->engine);
    });
    m_building->start(QThread::LowPriority);
}

void DesktopContentBlocking::engineBuilt(std::shared_ptr<const Filters::FilterEngine> engine)
{
    if (m_buildAgain) {
        m_buildAgain = false;
        reload();
        return;
    }
    m_engine = std::move(engine);
    m_blockedDocuments.clear();
    Q_EMIT ready();
    if (!m_updateOutcome.isEmpty()) {
        Q_EMIT updateFinished(m_updateOutcome + QStringLiteral("; ") + figuresText());
        m_updateOutcome.clear();
    }
}

QString DesktopContentBlocking::figuresText() const
{
    if (!m_engine)
        return QString();
    const Filters::ListFigures &figures = m_engine->figures();
    const QLocale locale;
    return tr("%1 rules, %2 lines skipped")
        .arg(locale.toString(figures.networkRules + figures.cosmeticRules),
             locale.toString(figures.skipped()));
}

PageBlocking *DesktopContentBlocking::pageOf(const WebBrowserControl *control) const
{
    for (const QPointer<PageBlocking> &page : m_pages) {
        if (page && page->control() == control)
            return page;
    }
    return nullptr;
}

int DesktopContentBlocking::blockedCount(const WebBrowserControl *control) const
{
    const PageBlocking *page = pageOf(control);
    return page ? page->blocked() : 0;
}

void DesktopContentBlocking::pageCountChanged(const WebBrowserControl *control)
{
    Q_EMIT blockedCountChanged(control);
}

void DesktopContentBlocking::setEnabled(bool enabled)
{
    BlockingSettings::setEnabled(*m_settings, enabled);
    m_enabled = enabled;
    if (enabled && !m_engine && !m_building)
        reload();
}

bool DesktopContentBlocking::isAllowedOn(const QString &url) const
{
    return m_allowedSites.contains(BlockingSettings::siteOf(url));
}

void DesktopContentBlocking::setAllowedOn(const QString &url, bool allowed)
{
    BlockingSettings::setAllowedOn(*m_settings, url, allowed);
    if (allowed)
        m_allowedSites.insert(BlockingSettings::siteOf(url));
    else
        m_allowedSites.remove(BlockingSettings::siteOf(url));
}

void DesktopContentBlocking::updateLists()
{
    if (m_updater->isRunning())
        return;
    const QString folder = Filters::userListFolder(m_dataFolder);
    QFile sources(folder + u'/' + Filters::sourcesFileName());
    const QList<QUrl> addresses = Filters::sourceAddresses(
        sources.open(QIODevice::ReadOnly) ? sources.readAll() : QByteArray());
    if (addresses.isEmpty()) {
        Q_EMIT updateFinished(tr("No filter lists to update: name their addresses in %1")
                                  .arg(QDir::toNativeSeparators(sources.fileName())));
        return;
    }
    m_updater->start(addresses, folder);
}

bool DesktopContentBlocking::isAllowedSite(const QUrl &url) const
{
    return !m_allowedSites.isEmpty() && m_allowedSites.contains(url.host().toLower());
}

void DesktopContentBlocking::intercept(QWebEngineUrlRequestInfo &info)
{
    if (LocalPageRequests::refused(info)) {
        info.block(true);
        return;
    }
    if (!m_enabled || !m_engine)
        return;
    const QUrl url = info.requestUrl();
    if (!isFiltered(url))
        return;
    const std::uint16_t type = requestType(info.resourceType());
    const bool document = type == Filters::Document;
    const QUrl firstParty = document ? url : info.firstPartyUrl();
    if (isAllowedSite(firstParty) || (document && m_allowedOnce.remove(url)))
        return;
    const QByteArray address = url.toEncoded(QUrl::RemoveFragment);
    const QByteArray page = firstParty.toEncoded(QUrl::RemoveFragment);
    const Filters::Decision decision = m_engine->decide({ viewOf(address), viewOf(page), type });
    if (!decision.blocked)
        return;
    info.block(true);
    if (document) {
        if (m_blockedDocuments.size() > 64)
            m_blockedDocuments.clear();
        const std::string_view rule = m_engine->ruleText(decision.rule);
        m_blockedDocuments.insert(url, QString::fromUtf8(rule.data(), qsizetype(rule.size())));
        return;
    }
    const QString origin = PageBlocking::originOf(firstParty);
    const QString element
        = showsAsElement(info.resourceType()) ? QString::fromUtf8(address) : QString();
    for (const QPointer<PageBlocking> &shown : std::as_const(m_pages)) {
        if (shown && shown->origin() == origin)
            shown->countBlocked(element);
    }
}

QString DesktopContentBlocking::styleSheetFor(const QUrl &url) const
{
    if (!m_enabled || !m_engine || !isFiltered(url) || isAllowedSite(url))
        return QString();
    return QString::fromStdString(
        m_engine->styleSheet(viewOf(url.toEncoded(QUrl::RemoveFragment))));
}

QString DesktopContentBlocking::blockedDocumentRule(const QUrl &url) const
{
    return m_blockedDocuments.value(url);
}

void DesktopContentBlocking::allowOnce(const QUrl &url)
{
    m_allowedOnce.insert(url);
}

void DesktopContentBlocking::hideOnSite(const WebBrowserControl *control, const QString &host,
                                        const QString &selector)
{
    const QString chosen = selector.trimmed();
    PageBlocking *page = pageOf(control);
    if (host.isEmpty() || !page)
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            tr("Elements can be hidden only on the pages of a web site."));
    // What the lists cannot hold, or hold as something other than a selector, is refused
    // before the page is asked.
    const bool fitsList = !chosen.isEmpty() && !chosen.contains(u'\n') && !chosen.contains(u'\r')
        && !chosen.contains(u'{') && !chosen.contains(u'}') && !chosen.contains(u"/*")
        && !chosen.startsWith(u'+') && !chosen.startsWith(u'^');
    if (!fitsList || !page->acceptsSelector(chosen))
        throw PlatformError(ErrorCode::InvalidPropertyValue,
                            tr("\"%1\" is not a CSS selector that the page accepts; nothing was "
                               "hidden.")
                                .arg(chosen));
    const QString folder = Filters::userListFolder(m_dataFolder);
    const QString path = folder + QStringLiteral("/mine.txt");
    QByteArray list;
    if (QFile file(path); file.open(QIODevice::ReadOnly))
        list = file.readAll();
    if (!list.isEmpty() && !list.endsWith('\n'))
        list += '\n';
    list += host.toLower().toUtf8() + "##" + chosen.toUtf8() + '\n';
    QDir().mkpath(folder);
    const AtomicFile::Outcome outcome
        = AtomicFile::write(path, list, AtomicFile::Links::StayInFolder);
    if (outcome.diskFull)
        throw PlatformError(ErrorCode::DiskFull,
                            AtomicFile::diskFullText(folder, tr("nothing was hidden.")));
    if (!outcome.written())
        throw PlatformError(ErrorCode::PathFileAccess, outcome.failure);
    // The page may have gone while it was asked.
    if (PageBlocking *shown = pageOf(control);
        shown && shown->host().compare(host, Qt::CaseInsensitive) == 0)
        shown->hideNow(chosen);
    if (m_enabled || m_engine)
        reload();
}
