#include "platform/desktop/profiledata/storageclearing.h"

#include <algorithm>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

// Each page runs in a process of its own: two at a time keep the engine's other work going.
constexpr int PagesAtOnce = 2;
// An origin's databases cannot be deleted while another page keeps them open and does not let
// go; its clearing then waits for the next start.
constexpr int TimeLimitMs = 5000;

const QString Cleared = QStringLiteral("kestrav:cleared");
const QString Failed = QStringLiteral("kestrav:failed");

// The document given the origin, with whether to clear its databases and its caches. It has
// nothing to load; its title says how the clearing ended.
const QString Document = QStringLiteral(R"(<!doctype html><title></title><script>
(function (databases, caches) {
  function end(how) { document.title = 'kestrav:' + how; }
  try { localStorage.clear(); } catch (e) { end('failed'); return; }
  var steps = [];
  if (databases && window.indexedDB && indexedDB.databases)
    steps.push(indexedDB.databases().then(function (list) {
      return Promise.all(list.map(function (database) {
        return new Promise(function (done, failed) {
          var request = indexedDB.deleteDatabase(database.name);
          request.onsuccess = done;
          request.onerror = failed;
        });
      }));
    }));
  if (caches && window.caches)
    steps.push(window.caches.keys().then(function (names) {
      return Promise.all(names.map(function (name) { return window.caches.delete(name); }));
    }));
  Promise.all(steps).then(function () { end('cleared'); }, function () { end('failed'); });
})(%1, %2);
</script>)");

QString truth(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

StorageClearing::StorageClearing(QObject *parent)
    : QObject(parent)
{
}

StorageClearing::~StorageClearing()
{
    // The pages go before the profile they were made on.
    qDeleteAll(m_running);
}

void StorageClearing::clear(const std::shared_ptr<QWebEngineProfile> &profile,
                            const QList<Target> &targets)
{
    m_profile = profile;
    for (const Target &target : targets) {
        if (!isPending(target.origin))
            m_queue.append(target);
    }
    startNext();
}

void StorageClearing::hurry(const QString &origin)
{
    const auto queued = std::find_if(m_queue.begin(), m_queue.end(),
                                     [&](const Target &target) { return target.origin == origin; });
    if (queued != m_queue.end()) {
        const Target target = *queued;
        m_queue.erase(queued);
        m_queue.prepend(target);
        startNext();
    }
}

bool StorageClearing::isPending(const QString &origin) const
{
    return m_running.contains(origin)
        || std::any_of(m_queue.cbegin(), m_queue.cend(),
                       [&](const Target &target) { return target.origin == origin; });
}

void StorageClearing::startNext()
{
    while (m_running.size() < PagesAtOnce && !m_queue.isEmpty())
        start(m_queue.takeFirst());
    if (m_queue.isEmpty())
        m_profile.reset();
}

void StorageClearing::start(const Target &target)
{
    const QString origin = target.origin;
    if (!m_profile) {
        Q_EMIT originEnded(origin, false);
        return;
    }
    auto *page = new QWebEnginePage(m_profile.get(), this);
    m_running.insert(origin, page);
    // A page that ended is deleted later, and the profile must outlive it.
    connect(page, &QObject::destroyed, [keep = m_profile] {});
    QWebEngineSettings *settings = page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, true);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    connect(page, &QWebEnginePage::titleChanged, this, [this, page, origin](const QString &title) {
        if (title == Cleared || title == Failed)
            end(page, origin, title == Cleared);
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this, page, origin](bool ok) {
        if (!ok)
            end(page, origin, false);
    });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this, page, origin] { end(page, origin, false); });
    QTimer::singleShot(TimeLimitMs, page, [this, page, origin] { end(page, origin, false); });
    page->setHtml(Document.arg(truth(target.databases), truth(target.caches)),
                  QUrl(origin + QLatin1Char('/')));
}

void StorageClearing::end(QWebEnginePage *page, const QString &origin, bool cleared)
{
    // A page that ended already may still report, or run out of time, before it goes.
    if (m_running.value(origin) != page)
        return;
    m_running.remove(origin);
    page->disconnect(this);
    page->deleteLater();
    Q_EMIT originEnded(origin, cleared);
    startNext();
}
