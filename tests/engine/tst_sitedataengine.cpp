// What the real engine keeps for sites: cookies and storage cleared at once, what pages store
// after a clearing kept across a restart, a site's storage removed with its subdomains' while
// another's is kept, storage out of reach removed at the next start, answers remembered across
// a restart on the same data folder, and cookies from another site refused unless allowed.

#include "fakeservices.h"
#include "fakesettingsstore.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/desktop/profiledata/pagestorage.h"
#include "platform/desktop/profiledata/webenginesitedata.h"
#include "sitedata/rememberedanswers.h"
#include "sitedata/sitepermissions.h"
#include "testsupport.h"

#include <algorithm>
#include <memory>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

namespace {

constexpr int LoadTimeoutMs = 60'000;

QString storageFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/webengine");
}

} // namespace

class tst_SiteDataEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void clearedAtOnceAndLaterWritesKept();
    void keptCookiesListedAndRemovedAfterRestart();
    void siteRemovedWithSubdomains();
    void outOfReachGoesAtRestart();
    void answersAcrossRestart_data();
    void answersAcrossRestart();
    void thirdPartyCookies_data();
    void thirdPartyCookies();

private:
    // A run of the program: a control, its answers and its site data on the one store.
    void start(const QStringList &thirdPartySites = {});
    void stop();
    QString titleAfterLoading(const QString &url);
    // Loads the page and waits for the title its script gives.
    bool shows(const QString &url, const QString &title);
    // Clears the storage of the site (all sites when empty); what it reports waiting.
    QStringList clearStorage(const QString &site = {});

    HttpServer m_first;
    HttpServer m_third;
    std::shared_ptr<FakeSettingsStore> m_settings = std::make_shared<FakeSettingsStore>();
    std::shared_ptr<ScriptedUserQuestions> m_questions = std::make_shared<ScriptedUserQuestions>();
    std::unique_ptr<QWidget> m_host;
    std::unique_ptr<WebEngineSiteData> m_siteData;
    WebEngineBrowserControl *m_control = nullptr;
};

void tst_SiteDataEngine::initTestCase()
{
    QVERIFY(m_first.listen());
    QVERIFY(m_third.listen(QHostAddress(QStringLiteral("127.0.0.2"))));
    m_first.route(QStringLiteral("/store.html"),
                  htmlPage("store",
                           "<script>document.cookie = 'a=1; max-age=3600';"
                           "localStorage.setItem('k', 'v'); sessionStorage.setItem('s', 'v');"
                           "document.title = 'stored';</script>"));
    const QByteArray reading
        = htmlPage("read",
                   "<script>document.title = 'cookie=' + document.cookie + ';storage='"
                   " + (localStorage.getItem('k') || 'none') + ';session='"
                   " + (sessionStorage.getItem('s') || 'none');</script>");
    m_first.route(QStringLiteral("/read.html"), reading);
    m_third.route(QStringLiteral("/read.html"), reading);
    // The first site keeps local storage and a database, the other local storage only: a
    // site is known to keep data by its database's folder or by its keys in local storage.
    m_first.route(QStringLiteral("/keep.html"),
                  htmlPage("keep",
                           "<script>localStorage.setItem('k', 'v');"
                           "var open = indexedDB.open('d');"
                           "open.onsuccess = function () { open.result.close();"
                           " document.title = 'kept'; };</script>"));
    m_third.route(QStringLiteral("/keep.html"),
                  htmlPage("keep",
                           "<script>localStorage.setItem('k', 'v');"
                           "document.title = 'kept';</script>"));
    const QByteArray looking
        = htmlPage("look",
                   "<script>indexedDB.databases().then(function (list) {"
                   " document.title = 'storage=' + (localStorage.getItem('k') || 'none')"
                   " + ';databases=' + list.length; });</script>");
    m_first.route(QStringLiteral("/look.html"), looking);
    m_third.route(QStringLiteral("/look.html"), looking);
    m_first.route(QStringLiteral("/after.html"),
                  htmlPage("after",
                           "<script>localStorage.setItem('k', 'after');"
                           "var open = indexedDB.open('after');"
                           "open.onsuccess = function () { open.result.close();"
                           " document.title = 'kept'; };</script>"));
    // Its database stays open however it is asked to let go.
    m_third.route(QStringLiteral("/hold.html"),
                  htmlPage("hold",
                           "<script>localStorage.setItem('k', 'v');"
                           "var open = indexedDB.open('held');"
                           "open.onsuccess = function () { window.held = open.result;"
                           " document.title = 'holding'; };</script>"));
    m_first.route(QStringLiteral("/ask.html"),
                  htmlPage("ask",
                           "<script>Notification.requestPermission().then("
                           "function (a) { document.title = a; });</script>"));
    // Without SameSite=None the engine itself would refuse it in another site's frame.
    HttpResponse setting;
    setting.contentType = "text/plain";
    setting.body = "set";
    setting.headers = { "Set-Cookie: tp=1; Max-Age=3600; SameSite=None; Secure" };
    m_third.route(QStringLiteral("/set"), setting);
    m_first.route(QStringLiteral("/embed.html"),
                  htmlPage("embed",
                           "<iframe src=\"" + m_third.url(QStringLiteral("/set")).toUtf8()
                               + "\" onload=\"document.title = 'embedded'\"></iframe>"));
}

void tst_SiteDataEngine::cleanup()
{
    stop();
}

void tst_SiteDataEngine::start(const QStringList &thirdPartySites)
{
    m_host = std::make_unique<QWidget>();
    m_siteData = std::make_unique<WebEngineSiteData>(thirdPartySites);
    m_control = showInHost(*m_host, std::make_shared<RememberedAnswers>(m_questions, m_settings));
    m_siteData->attach(m_control);
}

void tst_SiteDataEngine::stop()
{
    m_siteData.reset();
    m_host.reset();
    m_control = nullptr;
    // The profile goes with its last page; let the engine let go of its folder.
    QTest::qWait(500);
}

QString tst_SiteDataEngine::titleAfterLoading(const QString &url)
{
    if (!loadAndWait(*m_control, url))
        return QStringLiteral("not loaded");
    QTest::qWait(200);
    return m_control->LocationName();
}

bool tst_SiteDataEngine::shows(const QString &url, const QString &title)
{
    if (!loadAndWait(*m_control, url))
        return false;
    return QTest::qWaitFor([&] { return m_control->LocationName() == title; }, LoadTimeoutMs);
}

QStringList tst_SiteDataEngine::clearStorage(const QString &site)
{
    QSignalSpy cleared(m_siteData.get(), &SiteData::storageCleared);
    if (site.isEmpty())
        m_siteData->clearStorage();
    else
        m_siteData->removeStorage(site);
    if (!waitFor(cleared))
        return { QStringLiteral("not ended") };
    return cleared.first().at(1).toStringList();
}

void tst_SiteDataEngine::clearedAtOnceAndLaterWritesKept()
{
    const QString local = QStringLiteral("http://localhost:%1").arg(m_first.port());
    start();
    // A site that keeps local storage alone.
    QVERIFY2(shows(local + QStringLiteral("/store.html"), QStringLiteral("stored")),
             qPrintable(m_control->LocationName()));
    QVERIFY2(shows(m_first.url(QStringLiteral("/keep.html")), QStringLiteral("kept")),
             qPrintable(m_control->LocationName()));
    QVERIFY(loadAndWait(*m_control, m_first.url(QStringLiteral("/store.html"))));
    QTRY_VERIFY(!m_siteData->cookies().isEmpty());
    const int requests = m_first.requestCount(QStringLiteral("/"))
        + m_first.requestCount(QStringLiteral("/favicon.ico"));

    m_siteData->clearCookies();
    QCOMPARE(clearStorage(), QStringList());
    // The pages that cleared the origin asked the site for nothing.
    QCOMPARE(m_first.requestCount(QStringLiteral("/"))
                 + m_first.requestCount(QStringLiteral("/favicon.ico")),
             requests);
    QVERIFY(m_siteData->storageSites().isEmpty());
    // It was asked only for what it kept: asking for databases would have made them.
    QVERIFY(!PageStorage::originsWithFolders(storageFolder()).contains(local));
    QVERIFY2(shows(m_first.url(QStringLiteral("/look.html")),
                   QStringLiteral("storage=none;databases=0")),
             qPrintable(m_control->LocationName()));
    QCOMPARE(titleAfterLoading(m_first.url(QStringLiteral("/read.html"))),
             QStringLiteral("cookie=;storage=none;session=none"));

    // Signed in again after the clearing: the next start keeps it.
    QVERIFY2(shows(m_first.url(QStringLiteral("/after.html")), QStringLiteral("kept")),
             qPrintable(m_control->LocationName()));
    stop();
    start();
    QVERIFY2(shows(m_first.url(QStringLiteral("/look.html")),
                   QStringLiteral("storage=after;databases=1")),
             qPrintable(m_control->LocationName()));
    QCOMPARE(clearStorage(), QStringList());
}

void tst_SiteDataEngine::keptCookiesListedAndRemovedAfterRestart()
{
    start();
    QVERIFY(loadAndWait(*m_control, m_first.url(QStringLiteral("/store.html"))));
    QTRY_VERIFY(!m_siteData->cookies().isEmpty());
    stop();

    // The engine does not report what it kept; the window must still list and remove it.
    start();
    const QList<StoredCookie> kept = m_siteData->cookies();
    QVERIFY(std::any_of(kept.cbegin(), kept.cend(), [](const StoredCookie &cookie) {
        return cookie.domain == QLatin1String("127.0.0.1");
    }));
    m_siteData->removeCookies(QStringLiteral("127.0.0.1"));
    QCOMPARE(titleAfterLoading(m_first.url(QStringLiteral("/read.html"))),
             QStringLiteral("cookie=;storage=v;session=none"));
    QCOMPARE(clearStorage(), QStringList());
}

void tst_SiteDataEngine::siteRemovedWithSubdomains()
{
    // The engine takes "localhost" and its subdomains to this computer.
    const auto at = [this](const char *host, const char *path) {
        return QStringLiteral("http://%1:%2%3")
            .arg(QLatin1String(host))
            .arg(m_first.port())
            .arg(QLatin1String(path));
    };
    const QString kept = QStringLiteral("kept");
    start();
    for (const char *host : { "localhost", "www.localhost" })
        QVERIFY2(shows(at(host, "/keep.html"), kept), qPrintable(m_control->LocationName()));
    QVERIFY2(shows(m_third.url(QStringLiteral("/keep.html")), kept),
             qPrintable(m_control->LocationName()));
    stop();

    // Local storage is read at the start, before the engine holds it.
    const QStringList sites { "127.0.0.2", "localhost", "www.localhost" };
    const auto listed = [&] {
        const QStringList all = m_siteData->storageSites();
        QStringList these;
        std::copy_if(sites.cbegin(), sites.cend(), std::back_inserter(these),
                     [&](const QString &site) { return all.contains(site); });
        return these;
    };
    start();
    QCOMPARE(listed(), sites);
    QCOMPARE(clearStorage(QStringLiteral("localhost")), QStringList());
    QCOMPARE(listed(), QStringList { "127.0.0.2" });
    // A page of a cleared origin loaded at once may store again: the emptied databases' folders
    // then stay at the next start, and the site is listed again.
    QTest::qWait(1000);
    const QString none = QStringLiteral("storage=none;databases=0");
    for (const char *host : { "localhost", "www.localhost" })
        QVERIFY2(shows(at(host, "/look.html"), none), qPrintable(m_control->LocationName()));
    QVERIFY2(
        shows(m_third.url(QStringLiteral("/look.html")), QStringLiteral("storage=v;databases=0")),
        qPrintable(m_control->LocationName()));
    stop();

    start();
    QCOMPARE(listed(), QStringList { "127.0.0.2" });
    QVERIFY2(shows(at("www.localhost", "/look.html"), none), qPrintable(m_control->LocationName()));
    QCOMPARE(clearStorage(), QStringList());
}

void tst_SiteDataEngine::outOfReachGoesAtRestart()
{
    start();
    QVERIFY2(shows(m_first.url(QStringLiteral("/keep.html")), QStringLiteral("kept")),
             qPrintable(m_control->LocationName()));
    // The shown page keeps its database open: the other origin's clearing cannot delete it.
    QVERIFY2(shows(m_third.url(QStringLiteral("/hold.html")), QStringLiteral("holding")),
             qPrintable(m_control->LocationName()));
    QCOMPARE(clearStorage(), QStringList { "127.0.0.2" });
    QStringList marked;
    for (const PageStorage::OriginRemoval &removal : PageStorage::originsMarked(storageFolder())) {
        if (removal.kinds != 0)
            marked.append(removal.origin);
    }
    QCOMPARE(marked, QStringList { m_third.url(QString()) });
    QVERIFY2(shows(m_first.url(QStringLiteral("/after.html")), QStringLiteral("kept")),
             qPrintable(m_control->LocationName()));
    stop();

    start();
    QVERIFY2(shows(m_third.url(QStringLiteral("/look.html")),
                   QStringLiteral("storage=none;databases=0")),
             qPrintable(m_control->LocationName()));
    QVERIFY2(shows(m_first.url(QStringLiteral("/look.html")),
                   QStringLiteral("storage=after;databases=1")),
             qPrintable(m_control->LocationName()));
    QCOMPARE(clearStorage(), QStringList());
}

void tst_SiteDataEngine::answersAcrossRestart_data()
{
    QTest::addColumn<bool>("remember");
    QTest::newRow("remembered") << true;
    QTest::newRow("this time only") << false;
}

void tst_SiteDataEngine::answersAcrossRestart()
{
    QFETCH(bool, remember);
    m_settings = std::make_shared<FakeSettingsStore>();
    m_questions->asked.clear();
    m_questions->allow = true;
    m_questions->remember = remember;

    start();
    QVERIFY(loadAndWait(*m_control, m_first.url(QStringLiteral("/ask.html"))));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("granted"), LoadTimeoutMs);
    QCOMPARE(m_questions->asked.size(), 1);

    stop();
    start();
    m_questions->allow = false;
    QVERIFY(loadAndWait(*m_control, m_first.url(QStringLiteral("/ask.html"))));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(),
                              remember ? QStringLiteral("granted") : QStringLiteral("denied"),
                              LoadTimeoutMs);
    QCOMPARE(m_questions->asked.size(), remember ? 1 : 2);
}

void tst_SiteDataEngine::thirdPartyCookies_data()
{
    QTest::addColumn<QStringList>("allowed");
    QTest::addColumn<QString>("cookie");
    QTest::newRow("refused") << QStringList() << QString();
    QTest::newRow("allowed for the page's site")
        << QStringList { "127.0.0.1" } << QStringLiteral("tp=1");
}

void tst_SiteDataEngine::thirdPartyCookies()
{
    QFETCH(QStringList, allowed);
    QFETCH(QString, cookie);

    start(allowed);
    m_siteData->clearCookies();
    QVERIFY(loadAndWait(*m_control, m_first.url(QStringLiteral("/embed.html"))));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("embedded"), LoadTimeoutMs);
    QCOMPARE(titleAfterLoading(m_third.url(QStringLiteral("/read.html"))),
             QStringLiteral("cookie=%1;storage=none;session=none").arg(cookie));
}

KESTRAV_TEST_MAIN(tst_SiteDataEngine)
#include "tst_sitedataengine.moc"
