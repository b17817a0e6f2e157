// Content blocking in the real engine: hosts that the lists name reach the loopback server
// through the resolver rules that the test's environment gives the engine (every "*.test"
// host is 127.0.0.1).

#include "blockingruns.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

class tst_Blocking : public QObject, private BlockingRuns
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void blocksAndHidesWhatTheListsName();
    void hidesAtAnAddressWhatIsForIt();
    void siteAllowanceKeptAcrossRestart();
    void blockedPageShowsNoticeAndOpensAnyway();
    void newWindowOpensInPlace_data();
    void newWindowOpensInPlace();
    void updateFetchesTheNamedLists();
    void compiledFormLoadedUnlessDamagedOrStale();
    void blockedElementsLeaveNoHole();
    void thousandsBlockedKeepTheWindowAnswering();
    void localPageShowsItsFilesButReadsNone_data();
    void localPageShowsItsFilesButReadsNone();
};

void tst_Blocking::initTestCase()
{
    qRegisterMetaType<const WebBrowserControl *>();
    QVERIFY(m_server.listen());
    const QByteArray port = QByteArray::number(m_server.port());
    m_server.route(
        u"/page.html"_s,
        fresh(htmlPage("News",
                       "<div id='ad' class='sponsored-box'>Buy now</div>"
                       "<div id='story'>Story</div><div id='generic' class='ad--300x250'>G</div>"
                       "<div id='box' class='ADBox'>Box</div>"
                       "<script src='http://ads.test:"
                           + port
                           + "/ad.js'></script>"
                             "<img src='http://tracker.test:"
                           + port
                           + "/pixel.gif'>"
                             "<iframe src='http://frames.test:"
                           + port
                           + "/frame.html'></iframe>"
                             "<img src='/logo.png'>")));
    m_server.route(u"/ad.js"_s, fresh("document.title = 'ad ran';", "text/javascript"));
    m_server.route(u"/pixel.gif"_s, fresh("GIF89a", "image/gif"));
    m_server.route(u"/frame.html"_s, fresh(htmlPage("Frame")));
    m_server.route(u"/logo.png"_s, fresh("PNG", "image/png"));
    m_server.route(u"/blocked.html"_s, fresh(htmlPage("Blocked page")));
    m_server.route(u"/plain.html"_s, fresh(htmlPage("Plain")));
    m_server.route(u"/late.html"_s,
                   fresh(htmlPage("Late",
                                  "<img src='http://late.test:" + port
                                      + "/late.gif'>"
                                        "<img src='http://old.test:"
                                      + port + "/old.gif'>")));
    m_server.route(u"/late.gif"_s, fresh("GIF89a", "image/gif"));
    m_server.route(u"/old.gif"_s, fresh("GIF89a", "image/gif"));
    m_server.route(u"/extra.txt"_s, fresh("! fetched\n||late.test^\n", "text/plain"));
    // The page's own style must not bring a collapsed element back; logo.png is no picture
    // and missing.png is not there: both fail, neither is blocked.
    m_server.route(
        u"/holes.html"_s,
        fresh(htmlPage("Holes",
                       "<style>img, iframe { display: inline !important; }</style>"
                       "<img id='banner' src='/ads/banner.png'>"
                       "<iframe id='frame' src='/ads/frame.html'></iframe>"
                       "<img id='logo' src='/logo.png'><img id='missing' src='/missing.png'>"
                       "<script>setTimeout(() => { const late = new Image(); late.id = 'late';"
                       " late.src = '/ads/late.png'; document.body.append(late); }, 300);"
                       "</script>")));
    m_server.route(u"/flood.html"_s,
                   fresh(htmlPage("Flood",
                                  "<script>for (let i = 0; i < 3000; ++i) {"
                                  " const image = new Image(); image.src = '/ads/' + i + '.png';"
                                  " document.body.append(image); }</script>")));
    m_server.route(u"/ads/frame.html"_s, fresh(htmlPage("Ad frame")));
    m_server.route(u"/ads/banner.png"_s, fresh("PNG", "image/png"));
    m_server.route(u"/ads/late.png"_s, fresh("PNG", "image/png"));
}

void tst_Blocking::init()
{
    prepare("||ads.test^$script,third-party\n||tracker.test^$image\n"
            "||frames.test^$subdocument\n||blocked.test^$document\n"
            "news.test##.sponsored-box\n127.0.0.1##.ADBox\n/ads/*\n");
}

void tst_Blocking::cleanup()
{
    stop();
}

void tst_Blocking::blocksAndHidesWhatTheListsName()
{
    start();
    // From a page of another site, as from the start page: the new page may have a process
    // of its own, which must be given the style before its document is made.
    QVERIFY(loadAndWait(*m_control, at(u"other.test"_s, u"/plain.html"_s)));
    QSignalSpy counted(m_blocking.get(), &ContentBlocking::blockedCountChanged);
    QVERIFY(loadAndWait(*m_control, at(u"news.test"_s, u"/page.html"_s)));
    QTRY_COMPARE(m_server.requestCount(u"/logo.png"_s), 1);
    QCOMPARE(m_server.requestCount(u"/ad.js"_s), 0);
    QCOMPARE(m_server.requestCount(u"/pixel.gif"_s), 0);
    QCOMPARE(m_server.requestCount(u"/frame.html"_s), 0);
    QTRY_COMPARE(m_blocking->blockedCount(m_control), 3);
    QVERIFY(!counted.isEmpty()
            && counted.last().at(0).value<const WebBrowserControl *>() == m_control);
    QTRY_COMPARE(displayOf(u"ad"_s), u"none"_s);
    QCOMPARE(displayOf(u"story"_s), u"block"_s);
    QCOMPARE(evaluate(u"document.querySelectorAll('style').length"_s).toInt(), 1);
    QCOMPARE(displayOf(u"generic"_s), u"none"_s);

    // Another page starts its own count.
    QVERIFY(loadAndWait(*m_control, at(u"news.test"_s, u"/plain.html"_s)));
    QCOMPARE(m_blocking->blockedCount(m_control), 0);
}

void tst_Blocking::hidesAtAnAddressWhatIsForIt()
{
    start();
    QVERIFY(loadAndWait(*m_control, at(u"127.0.0.1"_s, u"/page.html"_s)));
    QTRY_COMPARE(displayOf(u"box"_s), u"none"_s);
    QCOMPARE(displayOf(u"ad"_s), u"block"_s); // that rule is for news.test
    QCOMPARE(displayOf(u"story"_s), u"block"_s);
}

void tst_Blocking::siteAllowanceKeptAcrossRestart()
{
    start();
    const QString page = at(u"news.test"_s, u"/page.html"_s);
    const int ads = m_server.requestCount(u"/ad.js"_s);
    const int frames = m_server.requestCount(u"/frame.html"_s);
    m_blocking->setAllowedOn(page, true);
    QVERIFY(loadAndWait(*m_control, page));
    QTRY_COMPARE(m_server.requestCount(u"/ad.js"_s), ads + 1);
    stop();

    start();
    QVERIFY(m_blocking->isAllowedOn(page));
    QVERIFY(loadAndWait(*m_control, page));
    QTRY_COMPARE(m_server.requestCount(u"/ad.js"_s), ads + 2);
    QTRY_COMPARE(m_server.requestCount(u"/frame.html"_s), frames + 2);
    QCOMPARE(m_blocking->blockedCount(m_control), 0);
    QCOMPARE(displayOf(u"ad"_s), u"block"_s);

    // Taken back, and blocking turned off as a whole, which is kept too.
    m_blocking->setAllowedOn(page, false);
    m_blocking->setEnabled(false);
    stop();
    start();
    QVERIFY(!m_blocking->isAllowedOn(page));
    QVERIFY(!m_blocking->isEnabled());
    QVERIFY(loadAndWait(*m_control, page));
    QTRY_COMPARE(m_server.requestCount(u"/ad.js"_s), ads + 3);
    QVERIFY(!m_blocking->isReady()); // the lists are not read while blocking is off
    QSignalSpy ready(m_blocking.get(), &DesktopContentBlocking::ready);
    m_blocking->setEnabled(true);
    QVERIFY(waitFor(ready));
    QVERIFY(loadAndWait(*m_control, page));
    QTRY_COMPARE(m_blocking->blockedCount(m_control), 3);
    QCOMPARE(m_server.requestCount(u"/ad.js"_s), ads + 3);
}

void tst_Blocking::blockedPageShowsNoticeAndOpensAnyway()
{
    start();
    const QString page = at(u"blocked.test"_s, u"/blocked.html"_s);
    QVERIFY(loadAndWait(*m_control, page));
    auto *notice = m_control->widget()->findChild<QWidget *>(u"blockedPageNotice"_s);
    QVERIFY(notice);
    QTRY_VERIFY(notice->isVisible());
    QCOMPARE(m_server.requestCount(u"/blocked.html"_s), 0);
    const QString text = notice->findChild<QLabel *>(u"blockedPageText"_s)->text();
    QVERIFY2(text.contains(u"||blocked.test^$document"_s) && text.contains(page), qPrintable(text));
    QVERIFY(!notice->accessibleName().isEmpty());

    auto *open = notice->findChild<QPushButton *>(u"blockedPageOpen"_s);
    QVERIFY(!open->accessibleName().isEmpty());
    QSignalSpy loaded(m_control, &WebBrowserControl::DownloadComplete);
    open->click();
    QVERIFY(waitFor(loaded));
    QCOMPARE(m_server.requestCount(u"/blocked.html"_s), 1);
    QTRY_VERIFY(!notice->isVisible());
    QTRY_COMPARE(m_control->LocationName(), u"Blocked page"_s);

    // Once only: the next visit is blocked again.
    QVERIFY(loadAndWait(*m_control, page));
    QTRY_VERIFY(notice->isVisible());
    QCOMPARE(m_server.requestCount(u"/blocked.html"_s), 1);
}

void tst_Blocking::newWindowOpensInPlace_data()
{
    // What the user clicks, over the whole opening page; %1 is the address it opens.
    QTest::addColumn<QString>("opener");
    const QString everywhere = u"style='position:fixed;inset:0;display:block'"_s;
    QTest::newRow("target=_blank link")
        << u"<a target='_blank' href='%1' "_s + everywhere + u">Open</a>"_s;
    QTest::newRow("window.open") << u"<button onclick=\"window.open('%1')\" "_s + everywhere
            + u">Open</button>"_s;
}

void tst_Blocking::newWindowOpensInPlace()
{
    QFETCH(QString, opener);
    start();
    const QString news = at(u"news.test"_s, u"/page.html"_s);
    const QString path = u"/"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
    m_server.route(path, htmlPage("Opener", opener.arg(news).toUtf8()));
    const QString opening = at(u"other.test"_s, path);
    QVERIFY(loadAndWait(*m_control, opening));
    const int ads = m_server.requestCount(u"/ad.js"_s);
    QVERIFY(inputUntil(
        *m_control,
        [](QWidget *surface, int attempt) {
            QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(40 + attempt % 2, 40));
        },
        [&] { return m_control->Busy(); }));
    QTRY_COMPARE(m_control->LocationURL(), news);
    // The page keeps its blocking: network, hiding and the count.
    QTRY_COMPARE(m_blocking->blockedCount(m_control), 3);
    QTRY_COMPARE(displayOf(u"ad"_s), u"none"_s);
    QCOMPARE(displayOf(u"story"_s), u"block"_s);
    QCOMPARE(m_server.requestCount(u"/ad.js"_s), ads);
    // And its history: Back returns to the page that opened it.
    QSignalSpy loaded(m_control, &WebBrowserControl::DownloadComplete);
    m_control->GoBack();
    QVERIFY(waitFor(loaded));
    QTRY_COMPARE(m_control->LocationURL(), opening);
    QCOMPARE(m_control->LocationName(), u"Opener"_s);
}

void tst_Blocking::updateFetchesTheNamedLists()
{
    const QUrl extra(m_server.url(u"/extra.txt"_s));
    const QUrl gone(m_server.url(u"/gone.txt"_s));
    const QString goneFile = listFolder() + u'/' + Filters::fetchedListName(gone);
    QVERIFY(writeAll(goneFile, "||old.test^\n"));
    QVERIFY(writeAll(listFolder() + u"/sources.txt"_s,
                     extra.toEncoded() + "\n" + gone.toEncoded() + "\n"));
    start();
    QSignalSpy finished(m_blocking.get(), &ContentBlocking::updateFinished);
    m_blocking->updateLists();
    QVERIFY(waitFor(finished));
    const QString outcome = finished.last().at(0).toString();
    QVERIFY2(outcome.contains(u"gone.txt"_s) && outcome.contains(u"404"_s)
                 && outcome.contains(u"1 updated"_s),
             qPrintable(outcome));
    QCOMPARE(readAll(listFolder() + u'/' + Filters::fetchedListName(extra)),
             QByteArray("! fetched\n||late.test^\n"));
    QCOMPARE(readAll(goneFile), QByteArray("||old.test^\n"));

    QVERIFY(loadAndWait(*m_control, at(u"news.test"_s, u"/late.html"_s)));
    QTRY_COMPARE(m_blocking->blockedCount(m_control), 2);
    QCOMPARE(m_server.requestCount(u"/late.gif"_s), 0);
    QCOMPARE(m_server.requestCount(u"/old.gif"_s), 0);
}

void tst_Blocking::compiledFormLoadedUnlessDamagedOrStale()
{
    const QUrl news(u"http://news.test/"_s);
    start();
    const QByteArray written = readAll(cacheFile());
    QVERIFY(written.startsWith("KSTVFLT"));
    const QDateTime writtenAt = QFileInfo(cacheFile()).lastModified();
    stop();

    start(); // the lists are as they were: the compiled form is used as it is
    QCOMPARE(QFileInfo(cacheFile()).lastModified(), writtenAt);
    QVERIFY(m_blocking->styleSheetFor(news).contains(u".sponsored-box"_s));
    stop();

    QByteArray damaged = written;
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x20);
    QVERIFY(writeAll(cacheFile(), damaged));
    start();
    QCOMPARE(readAll(cacheFile()), written);
    QVERIFY(m_blocking->styleSheetFor(news).contains(u".sponsored-box"_s));
    stop();

    QFile list(listFolder() + u"/test.txt"_s);
    QVERIFY(list.open(QIODevice::Append));
    list.write("news.test##.late-box\n");
    list.close();
    start();
    QVERIFY(m_blocking->styleSheetFor(news).contains(u".late-box"_s));
    QVERIFY(readAll(cacheFile()) != written);
}

void tst_Blocking::blockedElementsLeaveNoHole()
{
    start();
    const int logos = m_server.requestCount(u"/logo.png"_s);
    QVERIFY(loadAndWait(*m_control, at(u"127.0.0.1"_s, u"/holes.html"_s)));
    QTRY_COMPARE(m_server.requestCount(u"/logo.png"_s), logos + 1);
    QCOMPARE(m_server.requestCount(u"/ads/banner.png"_s), 0);
    QTRY_COMPARE(displayOf(u"banner"_s), u"none"_s);
    QTRY_COMPARE(displayOf(u"frame"_s), u"none"_s);
    // Added by the page after it loaded.
    QTRY_COMPARE(displayOf(u"late"_s), u"none"_s);
    QCOMPARE(evaluate(u"document.getElementById('frame').offsetHeight"_s).toInt(), 0);
    QCOMPARE(displayOf(u"logo"_s), u"inline"_s);
    QCOMPARE(displayOf(u"missing"_s), u"inline"_s);
    QCOMPARE(m_blocking->blockedCount(m_control), 3);
}

void tst_Blocking::thousandsBlockedKeepTheWindowAnswering()
{
    start();
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &tick,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    tick.start(10);
    QVERIFY(loadAndWait(*m_control, at(u"127.0.0.1"_s, u"/flood.html"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(m_blocking->blockedCount(m_control), 3000, 30'000);
    QTRY_VERIFY(evaluate(u"Array.from(document.images).every(image => "
                         "getComputedStyle(image).display === 'none')"_s)
                    .toBool());
    tick.stop();
    QVERIFY2(longestGap < 500, qPrintable(u"the window stood still %1 ms"_s.arg(longestGap)));
}

void tst_Blocking::localPageShowsItsFilesButReadsNone_data()
{
    QTest::addColumn<bool>("blocking");
    QTest::newRow("blocking on") << true;
    QTest::newRow("blocking off") << false;
}

// A page opened from the disk, such as a saved one, shows its pictures and styles; its script
// reads no file, neither by fetch nor through a frame.
void tst_Blocking::localPageShowsItsFilesButReadsNone()
{
    QFETCH(bool, blocking);
    start();
    m_blocking->setEnabled(blocking);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(u"page_files"_s));
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(folder.filePath(u"page_files/picture.png"_s)));
    QVERIFY(writeAll(folder.filePath(u"page_files/style.css"_s),
                     "body { background: rgb(0, 128, 0); }"));
    QVERIFY(writeAll(folder.filePath(u"secret.html"_s), "<p>the user's secret</p>"));
    QVERIFY(writeAll(
        folder.filePath(u"page.html"_s),
        htmlPage("Saved",
                 "<link rel='stylesheet' href='page_files/style.css'>"
                 "<img id='picture' src='page_files/picture.png'>"
                 "<iframe id='frame' src='secret.html'></iframe><script>"
                 "const fetched = fetch('secret.html').then(r => r.text())"
                 "  .then(t => 'read ' + t, () => 'refused');"
                 "const framed = new Promise(done => window.addEventListener('load', () => {"
                 "  try { done('read ' + document.getElementById('frame').contentDocument"
                 "    .body.innerText); } catch (e) { done('refused'); } }));"
                 "Promise.all([fetched, framed]).then(r => { document.title = r.join(', '); });"
                 "</script>")));

    QVERIFY(
        loadAndWait(*m_control, QUrl::fromLocalFile(folder.filePath(u"page.html"_s)).toString()));
    QTRY_COMPARE(m_control->LocationName(), u"refused, refused"_s);
    QCOMPARE(evaluate(u"document.getElementById('picture').naturalWidth"_s).toInt(), 3);
    QCOMPARE(evaluate(u"getComputedStyle(document.body).backgroundColor"_s).toString(),
             u"rgb(0, 128, 0)"_s);
}

KESTRAV_TEST_MAIN(tst_Blocking)
#include "tst_blocking.moc"
