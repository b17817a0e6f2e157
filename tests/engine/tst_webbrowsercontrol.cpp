#include "httpserver.h"
#include "platformerror.h"
#include "testsupport.h"
#include "webenginebrowsercontrol.h"

#include <functional>
#include <memory>
#include <optional>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int LoadTimeoutMs = 60'000;

std::optional<PlatformError> failureOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const PlatformError &error) {
        return error;
    }
    return std::nullopt;
}

QByteArray page(const QByteArray &title, const QByteArray &body)
{
    return "<!DOCTYPE html><html><head><title>" + title + "</title></head><body>" + body
        + "</body></html>";
}

} // namespace

class tst_WebBrowserControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void reportsLocationAsTheEngineDoes_data();
    void reportsLocationAsTheEngineDoes();
    void rejectsEmptyAddress_data();
    void rejectsEmptyAddress();
    void reportsNavigationBeforeLoadEnd_data();
    void reportsNavigationBeforeLoadEnd();
    void locationNameFallsBackToAddress_data();
    void locationNameFallsBackToAddress();
    void bodyInnerHtmlIsExact();
    void linksAreResolvedInDocumentOrder();
    void documentAccessFailsWithoutDocumentOrBody_data();
    void documentAccessFailsWithoutDocumentOrBody();
    void backAndForwardFailWhenThereIsNoPage_data();
    void backAndForwardFailWhenThereIsNoPage();
    void backAndForwardMoveBetweenPages();
    void busyWhileSlowPageLoads();
    void stopEndsSlowPage();
    void refreshLoadsAgain();
    void hidingKeepsThePage();
    void saveAsWritesPageText();
    void saveAsFailures_data();
    void saveAsFailures();
    void homeShowsBundledStartPage();
    void newWindowRequestOpensInSameView();

private:
    // Navigates and waits until the load has ended.
    bool load(const QString &url);

    TestSandbox m_sandbox;
    HttpServer m_server;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
};

bool tst_WebBrowserControl::load(const QString &url)
{
    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->Navigate(url);
    return QTest::qWaitFor([&] { return done.count() > 0; }, LoadTimeoutMs);
}

void tst_WebBrowserControl::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.route(QStringLiteral("/"), page("Root", "<p>root</p>"));
    m_server.route(QStringLiteral("/one.html"), page("Page one", "<p>one</p>"));
    m_server.route(QStringLiteral("/two.html"), page("Page two", "<p>two</p>"));
}

void tst_WebBrowserControl::init()
{
    m_host = std::make_unique<QWidget>();
    m_control = new WebEngineBrowserControl(m_host.get());
    auto *layout = new QVBoxLayout(m_host.get());
    layout->addWidget(m_control->widget());
    m_host->resize(800, 600);
    m_host->show();
}

void tst_WebBrowserControl::cleanup()
{
    m_host.reset();
    m_control = nullptr;
}

void tst_WebBrowserControl::reportsLocationAsTheEngineDoes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("title");

    const QString one = m_server.url(QStringLiteral("/one.html"));
    const QString port = QString::number(m_server.port());
    QTest::newRow("full address") << one << one << QStringLiteral("Page one");
    QTest::newRow("no scheme") << QStringLiteral("127.0.0.1:%1/one.html").arg(port) << one
                               << QStringLiteral("Page one");
    QTest::newRow("upper-case scheme")
        << QStringLiteral("HTTP://127.0.0.1:%1/two.html").arg(port)
        << m_server.url(QStringLiteral("/two.html")) << QStringLiteral("Page two");
    QTest::newRow("no path") << QStringLiteral("http://127.0.0.1:%1").arg(port)
                             << m_server.url(QStringLiteral("/")) << QStringLiteral("Root");
}

void tst_WebBrowserControl::reportsLocationAsTheEngineDoes()
{
    QFETCH(QString, typed);
    QFETCH(QString, location);
    QFETCH(QString, title);

    QSignalSpy navigated(m_control, &WebBrowserControl::NavigateComplete2);
    QVERIFY(load(typed));
    QCOMPARE(m_control->LocationURL(), location);
    QCOMPARE(m_control->LocationName(), title);
    QVERIFY(!navigated.isEmpty());
    QCOMPARE(navigated.last().at(0).toString(), location);
}

void tst_WebBrowserControl::rejectsEmptyAddress_data()
{
    QTest::addColumn<QString>("url");

    QTest::newRow("empty") << QString();
    QTest::newRow("spaces") << QStringLiteral("   ");
}

void tst_WebBrowserControl::rejectsEmptyAddress()
{
    QFETCH(QString, url);

    const auto error = failureOf([&] { m_control->Navigate(url); });
    QVERIFY(error);
    QVERIFY(!error->description().isEmpty());
    QVERIFY(!m_control->Busy());
}

void tst_WebBrowserControl::reportsNavigationBeforeLoadEnd_data()
{
    QTest::addColumn<bool>("sameAddressAgain");

    QTest::newRow("new address") << false;
    QTest::newRow("same address again") << true;
}

void tst_WebBrowserControl::reportsNavigationBeforeLoadEnd()
{
    QFETCH(bool, sameAddressAgain);

    const QString one = m_server.url(QStringLiteral("/one.html"));
    if (sameAddressAgain)
        QVERIFY(load(one));

    QStringList events;
    connect(m_control, &WebBrowserControl::NavigateComplete2, this,
            [&](const QString &url) { events << QStringLiteral("NavigateComplete2 ") + url; });
    connect(m_control, &WebBrowserControl::DownloadComplete, this,
            [&] { events << QStringLiteral("DownloadComplete"); });
    QVERIFY(load(one));
    QCOMPARE(events,
             QStringList({ QStringLiteral("NavigateComplete2 ") + one,
                           QStringLiteral("DownloadComplete") }));
}

void tst_WebBrowserControl::locationNameFallsBackToAddress_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("name");

    QTest::newRow("no title element")
        << QStringLiteral("/untitled.html") << QByteArray("<p>no title here</p>") << QString();
    QTest::newRow("empty title") << QStringLiteral("/empty%20title.html")
                                 << QByteArray("<title></title><p>empty</p>") << QString();
    QTest::newRow("title that looks like an address")
        << QStringLiteral("/lookalike.html")
        << QByteArray("<title>www.example.com/lookalike.html</title>")
        << QStringLiteral("www.example.com/lookalike.html");
}

void tst_WebBrowserControl::locationNameFallsBackToAddress()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, html);
    QFETCH(QString, name);

    m_server.route(QUrl(path).path(), html);
    QVERIFY(load(m_server.url(path)));
    QCOMPARE(m_control->LocationName(), name.isEmpty() ? m_control->LocationURL() : name);
    QCOMPARE(QUrl(m_control->LocationURL()), QUrl(m_server.url(path)));
}

void tst_WebBrowserControl::bodyInnerHtmlIsExact()
{
    m_server.route(QStringLiteral("/body.html"),
                   page("Body",
                        "<p id=\"x\">Fish &amp; chips <b>today</b></p>\n<!-- note -->"
                        "<script>document.title = 'Scripted';</script>"));
    QVERIFY(load(m_server.url(QStringLiteral("/body.html"))));
    QCOMPARE(m_control->DocumentBodyInnerHTML(),
             QStringLiteral("<p id=\"x\">Fish &amp; chips <b>today</b></p>\n<!-- note -->"
                            "<script>document.title = 'Scripted';</script>"));
}

void tst_WebBrowserControl::linksAreResolvedInDocumentOrder()
{
    // The page's own script breaks arrays for its own world; the links must still come back.
    m_server.route(QStringLiteral("/dir/links.html"),
                   page("Links",
                        "<a href=\"b.html\">b</a>"
                        "<a name=\"anchor-only\">not a link</a>"
                        "<p><a href=\"/top.html?q=1\">top</a></p>"
                        "<map name=\"m\"><area href=\"../area.html\" alt=\"area\"></map>"
                        "<a href=\"#section\">fragment</a>"
                        "<a href=\"http://example.invalid/x\">elsewhere</a>"
                        "<a href=\"a.html\">a</a>"
                        "<script>Array.prototype.push = function () {};</script>"));
    QVERIFY(load(m_server.url(QStringLiteral("/dir/links.html"))));
    const QStringList expected = {
        m_server.url(QStringLiteral("/dir/b.html")),
        m_server.url(QStringLiteral("/top.html?q=1")),
        m_server.url(QStringLiteral("/area.html")),
        m_server.url(QStringLiteral("/dir/links.html#section")),
        QStringLiteral("http://example.invalid/x"),
        m_server.url(QStringLiteral("/dir/a.html")),
    };
    QCOMPARE(m_control->DocumentLinkHrefs(), expected);
}

void tst_WebBrowserControl::documentAccessFailsWithoutDocumentOrBody_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("nothing loaded yet") << QString();
    QTest::newRow("svg document") << QStringLiteral("/picture.svg");
}

void tst_WebBrowserControl::documentAccessFailsWithoutDocumentOrBody()
{
    QFETCH(QString, path);

    if (!path.isEmpty()) {
        HttpResponse svg;
        svg.contentType = "image/svg+xml";
        svg.body = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                   "<a href=\"/one.html\"><rect width=\"10\" height=\"10\"/></a></svg>";
        m_server.route(path, svg);
        QVERIFY(load(m_server.url(path)));
    }
    const auto body = failureOf([&] { m_control->DocumentBodyInnerHTML(); });
    QVERIFY(body);
    QCOMPARE(body->number(), ErrorCode::ObjectNotSet);
    if (path.isEmpty()) {
        const auto links = failureOf([&] { m_control->DocumentLinkHrefs(); });
        QVERIFY(links);
        QCOMPARE(links->number(), ErrorCode::ObjectNotSet);
    }
}

void tst_WebBrowserControl::backAndForwardFailWhenThereIsNoPage_data()
{
    QTest::addColumn<bool>("afterOnePage");

    QTest::newRow("fresh control") << false;
    QTest::newRow("after one page") << true;
}

void tst_WebBrowserControl::backAndForwardFailWhenThereIsNoPage()
{
    QFETCH(bool, afterOnePage);

    if (afterOnePage)
        QVERIFY(load(m_server.url(QStringLiteral("/one.html"))));
    const QString before = m_control->LocationURL();
    QVERIFY(failureOf([&] { m_control->GoBack(); }));
    QVERIFY(failureOf([&] { m_control->GoForward(); }));
    QTest::qWait(200);
    QCOMPARE(m_control->LocationURL(), before);
    QVERIFY(!m_control->Busy());
}

void tst_WebBrowserControl::backAndForwardMoveBetweenPages()
{
    const QString one = m_server.url(QStringLiteral("/one.html"));
    const QString two = m_server.url(QStringLiteral("/two.html"));
    QVERIFY(load(one));
    QVERIFY(load(two));

    QSignalSpy navigated(m_control, &WebBrowserControl::NavigateComplete2);
    m_control->GoBack();
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationURL(), one, LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("Page one"), LoadTimeoutMs);
    QVERIFY(failureOf([&] { m_control->GoBack(); }));

    m_control->GoForward();
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationURL(), two, LoadTimeoutMs);
    QVERIFY(failureOf([&] { m_control->GoForward(); }));

    QTRY_VERIFY_WITH_TIMEOUT(navigated.count() >= 2, LoadTimeoutMs);
    QCOMPARE(navigated.at(0).at(0).toString(), one);
    QCOMPARE(navigated.last().at(0).toString(), two);
}

void tst_WebBrowserControl::busyWhileSlowPageLoads()
{
    HttpResponse slow;
    slow.body = page("Slow", "<p>finally</p>");
    slow.delayMs = 2'000;
    m_server.route(QStringLiteral("/slow.html"), slow);

    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->Navigate(m_server.url(QStringLiteral("/slow.html")));
    QTRY_VERIFY_WITH_TIMEOUT(m_control->Busy(), LoadTimeoutMs);
    QVERIFY(done.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!m_control->Busy(), LoadTimeoutMs);
    QCOMPARE(done.count(), 1);
    QCOMPARE(m_control->LocationName(), QStringLiteral("Slow"));
}

void tst_WebBrowserControl::stopEndsSlowPage()
{
    // The body would come after a minute: only Stop can end the load within the wait.
    HttpResponse stalled;
    stalled.body = page("Stalled", "<p>never</p>");
    stalled.delayMs = 120'000;
    m_server.route(QStringLiteral("/stalled.html"), stalled);

    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->Navigate(m_server.url(QStringLiteral("/stalled.html")));
    QTRY_VERIFY_WITH_TIMEOUT(m_control->Busy(), LoadTimeoutMs);
    m_control->Stop();
    QTRY_VERIFY_WITH_TIMEOUT(!m_control->Busy(), LoadTimeoutMs);
    QCOMPARE(done.count(), 1);
}

void tst_WebBrowserControl::refreshLoadsAgain()
{
    m_server.route(QStringLiteral("/counted.html"), page("Counted", "<p>count</p>"));
    QVERIFY(load(m_server.url(QStringLiteral("/counted.html"))));
    const int requests = m_server.requestCount(QStringLiteral("/counted.html"));

    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->Refresh();
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty(), LoadTimeoutMs);
    QCOMPARE(m_server.requestCount(QStringLiteral("/counted.html")), requests + 1);
    QCOMPARE(m_control->LocationURL(), m_server.url(QStringLiteral("/counted.html")));
}

void tst_WebBrowserControl::hidingKeepsThePage()
{
    m_server.route(QStringLiteral("/kept.html"), page("Kept", "<p>kept</p>"));
    QVERIFY(load(m_server.url(QStringLiteral("/kept.html"))));

    QSignalSpy loads(m_control, &WebBrowserControl::DownloadComplete);
    m_control->widget()->hide();
    QTest::qWait(300);
    m_control->widget()->show();
    QTest::qWait(300);
    QVERIFY(loads.isEmpty());
    QCOMPARE(m_server.requestCount(QStringLiteral("/kept.html")), 1);
    QCOMPARE(m_control->DocumentBodyInnerHTML(), QStringLiteral("<p>kept</p>"));
}

void tst_WebBrowserControl::saveAsWritesPageText()
{
    m_server.route(QStringLiteral("/text.html"),
                   page("Text", "<h1>Heading</h1><p>First <b>bold</b> line</p>"));
    QVERIFY(load(m_server.url(QStringLiteral("/text.html"))));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.txt"));
    m_control->ExecWB(4, 2, path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY2(text.contains(QStringLiteral("Heading")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("First bold line")), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1Char('<')), qPrintable(text));
}

void tst_WebBrowserControl::saveAsFailures_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("number");

    QTest::newRow("folder does not exist")
        << 4 << QStringLiteral("no-such-folder/page.txt") << ErrorCode::PathFileAccess;
    QTest::newRow("empty name") << 4 << QString() << ErrorCode::PathFileAccess;
    QTest::newRow("print command")
        << 6 << QStringLiteral("page.txt") << ErrorCode::InvalidProcedureCall;
}

void tst_WebBrowserControl::saveAsFailures()
{
    QFETCH(int, command);
    QFETCH(QString, fileName);
    QFETCH(int, number);

    QVERIFY(load(m_server.url(QStringLiteral("/one.html"))));
    QTemporaryDir folder;
    const QString path = fileName.isEmpty() ? QString() : folder.filePath(fileName);
    const auto error = failureOf([&] { m_control->ExecWB(command, 2, path); });
    QVERIFY(error);
    QCOMPARE(error->number(), number);
    QVERIFY(QDir(folder.path()).isEmpty());
}

void tst_WebBrowserControl::homeShowsBundledStartPage()
{
    QSignalSpy done(m_control, &WebBrowserControl::DownloadComplete);
    m_control->GoHome();
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty(), LoadTimeoutMs);
    QCOMPARE(m_control->LocationURL(), WebEngineBrowserControl::homePage());
    QCOMPARE(m_control->LocationName(), QStringLiteral("Kestrav start page"));
    QVERIFY(m_control->DocumentBodyInnerHTML().contains(QStringLiteral("Welcome to Kestrav")));
}

void tst_WebBrowserControl::newWindowRequestOpensInSameView()
{
    // A link that fills the top-left corner, so a click at (10, 10) follows it.
    m_server.route(QStringLiteral("/opener.html"),
                   page("Opener",
                        "<a href=\"/two.html\" target=\"_blank\" style=\"position:"
                        "absolute;left:0;top:0;width:300px;height:100px;display:block\""
                        ">open</a>"));
    QVERIFY(load(m_server.url(QStringLiteral("/opener.html"))));

    QWidget *surface = m_control->widget()->focusProxy();
    QVERIFY(surface);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(10, 10));
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationURL(), m_server.url(QStringLiteral("/two.html")),
                              LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), QStringLiteral("Page two"), LoadTimeoutMs);
}

QTEST_MAIN(tst_WebBrowserControl)
#include "tst_webbrowsercontrol.moc"
