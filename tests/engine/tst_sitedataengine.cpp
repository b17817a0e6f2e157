// What the real engine keeps for sites: cleared cookies and storage, one site's storage removed
// while another's is kept, answers remembered across a restart on the same data folder, and
// cookies from another site refused unless allowed.

#include "fakeservices.h"
#include "fakesettingsstore.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/api/rememberedanswers.h"
#include "platform/api/sitepermissions.h"
#include "platform/desktop/webengine/webenginesitedata.h"
#include "testsupport.h"

#include <algorithm>
#include <memory>
#include <QTest>
#include <QWidget>

namespace {

constexpr int LoadTimeoutMs = 60'000;

} // namespace

class tst_SiteDataEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void clearedStorageGoesAtRestart();
    void keptCookiesListedAndRemovedAfterRestart();
    void oneSiteStorageGoesAtRestart();
    void answersAcrossRestart_data();
    void answersAcrossRestart();
    void thirdPartyCookies_data();
    void thirdPartyCookies();

private:
    // A run of the program: a control, its answers and its site data on the one store.
    void start(const QStringList &thirdPartySites = {});
    void stop();
    QString titleAfterLoading(const QString &url);

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
                           "localStorage.setItem('k', 'v');"
                           "document.title = 'stored';</script>"));
    const QByteArray reading
        = htmlPage("read",
                   "<script>document.title = 'cookie=' + document.cookie + ';storage='"
                   " + (localStorage.getItem('k') || 'none');</script>");
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

void tst_SiteDataEngine::clearedStorageGoesAtRestart()
{
    start();
    QVERIFY(loadAndWait(*m_control, m_first.url(QStringLiteral("/store.html"))));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("stored"), LoadTimeoutMs);
    QTRY_VERIFY(!m_siteData->cookies().isEmpty());

    m_siteData->clearCookies();
    m_siteData->clearStorageAtNextStart();
    // The cookie has gone at once; the storage is held open until the next start.
    QCOMPARE(titleAfterLoading(m_first.url(QStringLiteral("/read.html"))),
             QStringLiteral("cookie=;storage=v"));

    stop();
    start();
    QCOMPARE(titleAfterLoading(m_first.url(QStringLiteral("/read.html"))),
             QStringLiteral("cookie=;storage=none"));
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
             QStringLiteral("cookie=;storage=v"));
    m_siteData->clearStorageAtNextStart();
}

void tst_SiteDataEngine::oneSiteStorageGoesAtRestart()
{
    const auto shows = [this](HttpServer &server, const char *page, const char *title) {
        if (!loadAndWait(*m_control, server.url(QString::fromLatin1(page))))
            return false;
        return QTest::qWaitFor([&] { return m_control->LocationName() == QLatin1String(title); },
                               LoadTimeoutMs);
    };
    start();
    QVERIFY2(shows(m_first, "/keep.html", "kept"), qPrintable(m_control->LocationName()));
    QVERIFY2(shows(m_third, "/keep.html", "kept"), qPrintable(m_control->LocationName()));
    stop();

    // Local storage is read at the start, before the engine holds it.
    start();
    QCOMPARE(m_siteData->storageSites(), (QStringList { "127.0.0.1", "127.0.0.2" }));
    m_siteData->removeStorageAtNextStart(QStringLiteral("127.0.0.1"));
    QCOMPARE(m_siteData->storageSites(), QStringList { "127.0.0.2" });
    QVERIFY2(shows(m_first, "/look.html", "storage=v;databases=1"),
             qPrintable(m_control->LocationName()));
    stop();

    start();
    QCOMPARE(m_siteData->storageSites(), QStringList { "127.0.0.2" });
    QVERIFY2(shows(m_first, "/look.html", "storage=none;databases=0"),
             qPrintable(m_control->LocationName()));
    QVERIFY2(shows(m_third, "/look.html", "storage=v;databases=0"),
             qPrintable(m_control->LocationName()));
    // The tests after this one find no storage.
    m_siteData->removeStorageAtNextStart(QStringLiteral("127.0.0.2"));
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
             QStringLiteral("cookie=%1;storage=none").arg(cookie));
}

KESTRAV_TEST_MAIN(tst_SiteDataEngine)
#include "tst_sitedataengine.moc"
