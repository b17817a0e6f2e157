#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "testsupport.h"

#include <functional>
#include <memory>
#include <optional>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWidget>
#include <utility>

namespace {

constexpr int LoadTimeoutMs = 60'000;

using Operation = std::function<void(WebBrowserControl &, const QString &folder)>;

const QByteArray OneBody = "<p id=\"x\">Fish &amp; chips <b>today</b></p>\n<!-- note -->"
                           "<script>var seen = 1;</script>";

} // namespace

Q_DECLARE_METATYPE(Operation)

class tst_WebBrowserControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void navigates_data();
    void navigates();
    void readsAndSavesTheDocument();
    void failsWhereThereIsNothing_data();
    void failsWhereThereIsNothing();
    void backAndForwardMoveBetweenPages();
    void busyDuringSlowPage_data();
    void busyDuringSlowPage();
    void homeShowsBundledStartPage();
    void newWindowRequestOpensInSameView();
    void inspectorIsOneWindowOfItsOwn();
    void localPageReadsNoOtherFile();

private:
    // Navigates and waits until the load has ended.
    bool load(const QString &url);

    TestSandbox m_sandbox;
    HttpServer m_server;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
    QHash<QString, std::pair<QByteArray, QByteArray>> m_pages; // path: title and body
};

bool tst_WebBrowserControl::load(const QString &url)
{
    return loadAndWait(*m_control, url);
}

void tst_WebBrowserControl::initTestCase()
{
    QVERIFY(m_server.listen());
    m_pages = { { QStringLiteral("/"), { "Root", "<p>root</p>" } },
                { QStringLiteral("/one.html"), { "Page one", OneBody } },
                { QStringLiteral("/two.html"), { "Page two", "<p>two</p>" } },
                { QStringLiteral("/untitled.html"), { "", "<p>no title</p>" } } };
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it)
        m_server.route(it.key(), htmlPage(it->first, it->second));
    HttpResponse slow;
    slow.body = htmlPage("Slow", "<p>finally</p>");
    slow.held = true;
    m_server.route(QStringLiteral("/slow.html"), slow);
    m_server.route(QStringLiteral("/large.html"),
                   htmlPage("Large", "<p>" + QByteArray(300'000, 'x') + "</p>"));
    HttpResponse svg;
    svg.contentType = "image/svg+xml";
    svg.body = "<svg xmlns=\"http://www.w3.org/2000/svg\"><a href=\"/one.html\"><rect/></a></svg>";
    m_server.route(QStringLiteral("/picture.svg"), svg);
    // Open to any page that asks by script, local ones included.
    HttpResponse open;
    open.contentType = "text/plain";
    open.headers = { "Access-Control-Allow-Origin: *" };
    open.body = "open to all";
    m_server.route(QStringLiteral("/open.txt"), open);
}

void tst_WebBrowserControl::init()
{
    m_host = std::make_unique<QWidget>();
    m_control = showInHost(*m_host);
}

void tst_WebBrowserControl::cleanup()
{
    m_host.reset();
    m_control = nullptr;
    m_server.releaseHeld();
}

void tst_WebBrowserControl::navigates_data()
{
    QTest::addColumn<QString>("path"); // where the engine ends up
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("again"); // "", "navigate" or "refresh" once the page is shown

    const QString one = m_server.url(QStringLiteral("/one.html"));
    const QString port = QString::number(m_server.port());
    QTest::newRow("full address") << "/one.html" << one << QString();
    QTest::newRow("no scheme") << "/one.html"
                               << "127.0.0.1:" + port + "/one.html" << QString();
    QTest::newRow("no path") << "/"
                             << "HTTP://127.0.0.1:" + port << QString();
    // The engine makes a title from the address; the control names the page by its address.
    QTest::newRow("no title") << "/untitled.html" << m_server.url("/untitled.html") << QString();
    // A load that keeps the address still reports its navigation before it ends.
    QTest::newRow("same address again") << "/one.html" << one << "navigate";
    QTest::newRow("refresh") << "/one.html" << one << "refresh";
}

void tst_WebBrowserControl::navigates()
{
    QFETCH(QString, path);
    QFETCH(QString, typed);
    QFETCH(QString, again);

    const QString location = m_server.url(path);
    if (!again.isEmpty())
        QVERIFY(load(typed));
    const int requests = m_server.requestCount(path);

    QStringList events;
    connect(m_control, &WebBrowserControl::NavigateComplete2, this,
            [&](const QString &url) { events << QStringLiteral("NavigateComplete2 ") + url; });
    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    connect(m_control, &WebBrowserControl::DownloadComplete, this,
            [&] { events << QStringLiteral("DownloadComplete"); });
    QSignalSpy titled(m_control, &WebBrowserControl::TitleChange);
    if (again == QLatin1String("refresh"))
        m_control->Refresh();
    else
        m_control->Navigate(typed);
    QVERIFY(waitFor(done));

    QCOMPARE(events,
             QStringList({ QStringLiteral("NavigateComplete2 ") + location,
                           QStringLiteral("DownloadComplete") }));
    QCOMPARE(m_server.requestCount(path), requests + 1);
    QCOMPARE(m_control->LocationURL(), location);
    const auto [title, body] = m_pages.value(path);
    QCOMPARE(m_control->LocationName(), title.isEmpty() ? location : QString::fromUtf8(title));
    QCOMPARE(m_control->document().DocumentBodyInnerHTML(), QString::fromUtf8(body));
    // A new page tells its title as LocationName gives it.
    if (again.isEmpty()) {
        QTRY_VERIFY(!titled.isEmpty());
        QCOMPARE(titled.last().at(0).toString(), m_control->LocationName());
    }
    QVERIFY(!m_control->Busy());
}

void tst_WebBrowserControl::readsAndSavesTheDocument()
{
    // The page's own script breaks arrays for its own world; the links must still come back.
    m_server.route(
        QStringLiteral("/dir/doc.html"),
        htmlPage("Document",
                 "<h1>Heading</h1><p>First <b>bold</b> line</p><p>Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
                 "e</p>"
                 "<a href=\"b.html\">b</a>"
                 "<a name=\"anchor-only\">not a link</a>"
                 "<p><a href=\"/top.html?q=1\">top</a></p>"
                 "<map name=\"m\"><area href=\"../area.html\" alt=\"area\"></map>"
                 "<a href=\"#section\">fragment</a>"
                 "<a href=\"a.html\">a</a>"
                 "<script>Array.prototype.push = function () {};</script>"));
    QVERIFY(load(m_server.url(QStringLiteral("/dir/doc.html"))));
    const QStringList expected = {
        m_server.url(QStringLiteral("/dir/b.html")),
        m_server.url(QStringLiteral("/top.html?q=1")),
        m_server.url(QStringLiteral("/area.html")),
        m_server.url(QStringLiteral("/dir/doc.html#section")),
        m_server.url(QStringLiteral("/dir/a.html")),
    };
    QCOMPARE(m_control->document().DocumentLinkHrefs(), expected);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.txt"));
    m_control->document().ExecWB(4, 2, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    QVERIFY2(text.startsWith(QStringLiteral("Heading")), qPrintable(text));
    // The system's 8-bit encoding here is UTF-8.
    QVERIFY2(bytes.contains("Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
                            "e"),
             bytes.constData());
    QVERIFY2(text.contains(QStringLiteral("First bold line")), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1Char('<')), qPrintable(text));
}

void tst_WebBrowserControl::failsWhereThereIsNothing_data()
{
    QTest::addColumn<QString>("path"); // loaded first, unless empty
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("number");

    // What any control refuses with nothing loaded is checked in the contract test.
    const QString none;
    const Operation body = [](auto &c, auto &) { c.document().DocumentBodyInnerHTML(); };
    QTest::newRow("body of an svg document") << "/picture.svg" << body << ErrorCode::ObjectNotSet;
    const Operation save
        = [](auto &c, auto &folder) { c.document().ExecWB(4, 2, folder + "/no/page.txt"); };
    QTest::newRow("save, nothing loaded") << none << save << ErrorCode::ObjectNotSet;
    QTest::newRow("save into a missing folder") << "/one.html" << save << ErrorCode::PathFileAccess;
    // A page larger than QSaveFile's buffer, on a disk that takes only part of it.
    const Operation saveCutShort = [](auto &c, auto &folder) {
        withFileSizeLimit(100'000, [&] { c.document().ExecWB(4, 2, folder + "/page.txt"); });
    };
    QTest::newRow("save cut short") << "/large.html" << saveCutShort << ErrorCode::PathFileAccess;
}

void tst_WebBrowserControl::failsWhereThereIsNothing()
{
    QFETCH(QString, path);
    QFETCH(Operation, operation);
    QFETCH(int, number);

    if (!path.isEmpty())
        QVERIFY(load(m_server.url(path)));
    QTemporaryDir folder;
    const QString before = m_control->LocationURL();
    const auto error = failureOf([&] { operation(*m_control, folder.path()); });
    QVERIFY(error);
    QCOMPARE(error->number(), number);
    QVERIFY(!error->description().isEmpty());
    QCOMPARE(m_control->LocationURL(), before);
    QVERIFY(QDir(folder.path()).isEmpty());
}

void tst_WebBrowserControl::backAndForwardMoveBetweenPages()
{
    const QString one = m_server.url(QStringLiteral("/one.html"));
    const QString two = m_server.url(QStringLiteral("/two.html"));
    QVERIFY(load(one));
    QVERIFY(failureOf([&] { m_control->GoBack(); }));
    QVERIFY(load(two));

    QSignalSpy navigated(m_control, &WebBrowserControl::NavigateComplete2);
    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->GoBack();
    QVERIFY(waitFor(done));
    QCOMPARE(m_control->LocationURL(), one);
    QCOMPARE(m_control->LocationName(), QStringLiteral("Page one"));
    QVERIFY(failureOf([&] { m_control->GoBack(); }));

    m_control->GoForward();
    QVERIFY(waitFor(done, 2));
    QCOMPARE(m_control->LocationURL(), two);
    QCOMPARE(m_control->LocationName(), QStringLiteral("Page two"));
    QVERIFY(failureOf([&] { m_control->GoForward(); }));

    QCOMPARE(navigated.count(), 2);
    QCOMPARE(navigated.first().at(0).toString(), one);
    QCOMPARE(navigated.last().at(0).toString(), two);
}

void tst_WebBrowserControl::busyDuringSlowPage_data()
{
    QTest::addColumn<bool>("stop");

    QTest::newRow("left to finish") << false;
    QTest::newRow("stopped") << true; // the body never comes: only Stop can end the load
}

void tst_WebBrowserControl::busyDuringSlowPage()
{
    QFETCH(bool, stop);

    const QString path = QStringLiteral("/slow.html");
    const int requests = m_server.requestCount(path);
    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->Navigate(m_server.url(path));
    // Once the server has the request, it holds the body back: the page is still loading.
    QTRY_VERIFY_WITH_TIMEOUT(m_server.requestCount(path) > requests, LoadTimeoutMs);
    QVERIFY(done.isEmpty());
    QVERIFY(m_control->Busy());

    if (stop)
        m_control->Stop();
    else
        m_server.releaseHeld();
    QVERIFY(waitFor(done));
    QVERIFY(!m_control->Busy());
    QCOMPARE(done.count(), 1);
    if (!stop)
        QCOMPARE(m_control->LocationName(), QStringLiteral("Slow"));
}

void tst_WebBrowserControl::homeShowsBundledStartPage()
{
    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->GoHome();
    QVERIFY(waitFor(done));
    QCOMPARE(m_control->LocationURL(), WebEngineBrowserControl::homePage());
    QCOMPARE(m_control->LocationName(), QStringLiteral("Kestrav start page"));
    QVERIFY(m_control->document().DocumentBodyInnerHTML().contains(
        QStringLiteral("Welcome to Kestrav")));

    // The program's own page goes without the sign-ins' script and channel; a web page has them.
    const auto signInsScriptRuns = [this] {
        QVariant answer;
        qobject_cast<QWebEngineView *>(m_control->widget())
            ->page()
            ->runJavaScript(QStringLiteral("typeof QWebChannel"),
                            QWebEngineScript::ApplicationWorld,
                            [&answer](const QVariant &value) { answer = value; });
        if (!QTest::qWaitFor([&] { return answer.isValid(); }, 5000))
            return QStringLiteral("no answer");
        return answer.toString();
    };
    QCOMPARE(signInsScriptRuns(), QStringLiteral("undefined"));
    QVERIFY(load(m_server.url("/one.html")));
    QTRY_COMPARE(signInsScriptRuns(), QStringLiteral("function"));
}

void tst_WebBrowserControl::newWindowRequestOpensInSameView()
{
    // A link that fills the top-left corner, so a click at (10, 10) follows it.
    m_server.route(QStringLiteral("/opener.html"),
                   htmlPage("Opener",
                            "<a href=\"/two.html\" target=\"_blank\" style=\"position:"
                            "absolute;left:0;top:0;width:300px;height:100px;display:block\""
                            ">open</a>"));
    QVERIFY(load(m_server.url(QStringLiteral("/opener.html"))));

    // Clicked until the page it opens starts to load.
    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    QVERIFY(inputUntil(
        *m_control,
        [](QWidget *surface, int) {
            QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(10, 10));
        },
        [&] { return m_control->Busy(); }));
    QVERIFY(waitFor(done));
    QCOMPARE(m_control->LocationURL(), m_server.url(QStringLiteral("/two.html")));
    QCOMPARE(m_control->LocationName(), QStringLiteral("Page two"));
}

void tst_WebBrowserControl::inspectorIsOneWindowOfItsOwn()
{
    QList<QPointer<QWidget>> opened;
    connect(&m_control->tools(), &PageTools::WindowOpened, this,
            [&](QWidget *window) { opened.append(window); });
    m_control->tools().ShowInspector();
    m_control->tools().ShowInspector();
    QCOMPARE(opened.size(), 1);
    QPointer<QWidget> window = opened.first();
    QVERIFY(window);
    QVERIFY(window->isWindow());
    QVERIFY(window->isVisible());
    window->close();
    QTRY_VERIFY(!window); // freed, so the next one is new
    m_control->tools().ShowInspector();
    QCOMPARE(opened.size(), 2);
}

// A page opened from the disk gets an error when its script reads another file or another
// site, while the HTML tools still read it and its links to other local pages still work.
void tst_WebBrowserControl::localPageReadsNoOtherFile()
{
    QTemporaryDir folder;
    const QString next
        = QUrl::fromLocalFile(folder.filePath(QStringLiteral("next.html"))).toString();
    QVERIFY(writeAll(folder.filePath(QStringLiteral("secret.txt")), "the user's secret"));
    QVERIFY(writeAll(folder.filePath(QStringLiteral("next.html")), htmlPage("Next")));
    const QByteArray reads
        = "<a id=\"next\" href=\"next.html\">next</a><script>"
          "function read(address) { return fetch(address).then(function (r) { return r.text(); })"
          "  .then(function (text) { return 'read ' + text; }, function () { return 'refused'; }); "
          "}"
          "Promise.all([read('secret.txt'), read('"
        + m_server.url(QStringLiteral("/open.txt")).toUtf8()
        + "')]).then(function (results) { document.title = results.join(', '); });</script>";
    QVERIFY(writeAll(folder.filePath(QStringLiteral("page.html")), htmlPage("Local", reads)));

    QVERIFY(load(QUrl::fromLocalFile(folder.filePath(QStringLiteral("page.html"))).toString()));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("refused, refused"),
                              LoadTimeoutMs);
    QVERIFY(m_control->document().DocumentBodyInnerHTML().contains(QLatin1String("next.html")));
    QCOMPARE(m_control->document().DocumentLinkHrefs(), QStringList { next });

    qobject_cast<QWebEngineView *>(m_control->widget())
        ->page()
        ->runJavaScript(QStringLiteral("document.getElementById('next').click()"));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("Next"), LoadTimeoutMs);
    QCOMPARE(m_control->LocationURL(), next);
}

KESTRAV_TEST_MAIN(tst_WebBrowserControl)
#include "tst_webbrowsercontrol.moc"
