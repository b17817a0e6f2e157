#include "history/historyrules.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/desktop/reader/readerscheme.h"
#include "platform/desktop/reader/readerview.h"
#include "reader/articlepage.h"
#include "testsupport.h"

#include <memory>
#include <QFile>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// The scheme is known to the engine only when registered before it starts.
const bool schemeRegistered = (ReaderScheme::registerAtStart(), true);

QByteArray paragraphs(int count, const QByteArray &words)
{
    QByteArray html;
    for (int i = 0; i < count; ++i)
        html += "<p>" + words + " Paragraph " + QByteArray::number(i) + " of the story, told "
            + "at length with commas, so that it reads as prose, not a list of links.</p>\n";
    return html;
}

// A news page: navigation, an advertisement and comments around the article.
QByteArray newsPage(const QByteArray &inArticle = {})
{
    return htmlPage("Herons return to the river",
                    "<nav><a href='/a'>Home</a> <a href='/b'>World</a> <a href='/c'>Sport</a></nav>"
                    "<div class='ad sponsored'>BUY CHEAP WIDGETS NOW</div>"
                    "<article><h1>Herons return to the river</h1>"
                    "<p class='byline'>By Ada Fielding</p>"
                    "<p><img src='/heron.svg' alt='A heron' width='60' height='30'></p>"
                        + paragraphs(40, "The grey herons came back to the river this spring.")
                        + inArticle
                        + "</article>"
                          "<section id='comments' class='comments'><h2>Comments</h2>"
                          "<p class='comment'>FIRST COMMENT here</p></section>"
                          "<footer>Copyright footer text</footer>");
}

QString evaluate(QWebEnginePage &page, const QString &script, quint32 world = 0)
{
    QString result;
    bool done = false;
    page.runJavaScript(script, world, [&](const QVariant &value) {
        result = value.toString();
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10'000))
        return u"<no answer>"_s;
    return result;
}

} // namespace

// The reader view on the real engine: Readability as built in, the article from a scriptless
// origin of its own, and the page as it was on return.
class tst_ReaderView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void libraryIsBuiltInAtThePinnedVersion();
    void probablyAnArticle_data();
    void probablyAnArticle();
    void articleWithoutThePageAround();
    void articleRunsNoScript();
    void returnsWhereThePageWas_data();
    void returnsWhereThePageWas();
    void hostilePageIsLeftAlone();

private:
    QWebEnginePage &page() const
    {
        return *static_cast<QWebEngineView *>(m_control->widget())->page();
    }
    // The control's own reader view, as the window reaches it.
    ReaderView &reader() const { return static_cast<ReaderView &>(m_control->reader()); }
    bool showArticle();

    HttpServer m_server;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
};

void tst_ReaderView::initTestCase()
{
    QVERIFY(schemeRegistered);
    QVERIFY(m_server.listen());
    m_host = std::make_unique<QWidget>();
    m_control = showInHost(*m_host);
    m_server.route(u"/news.html"_s, newsPage());
    HttpResponse picture;
    picture.contentType = "image/svg+xml";
    picture.body = "<svg xmlns='http://www.w3.org/2000/svg' width='60' height='30'>"
                   "<rect width='60' height='30' fill='#4a8'/></svg>";
    m_server.route(u"/heron.svg"_s, picture);
}

void tst_ReaderView::init()
{
    QVERIFY(loadAndWait(*m_control, u"about:blank"_s));
}

bool tst_ReaderView::showArticle()
{
    QSignalSpy finished(&reader(), &ReaderView::finished);
    QSignalSpy loaded(m_control, &WebBrowserControl::DownloadComplete);
    reader().ToggleReaderView();
    return waitFor(finished)
        && finished.first().first().value<Reader::Outcome>() == Reader::Outcome::Shown
        && waitFor(loaded) && reader().ReaderViewShown();
}

void tst_ReaderView::libraryIsBuiltInAtThePinnedVersion()
{
    QCOMPARE(ReaderView::libraryVersion(), QStringLiteral(KESTRAV_READABILITY_VERSION));
    QFile library(u":/readability/Readability.js"_s);
    QVERIFY(library.open(QIODevice::ReadOnly));
    QVERIFY(library.readAll().contains("function Readability(doc, options)"));
    QFile readerable(u":/readability/Readability-readerable.js"_s);
    QVERIFY(readerable.open(QIODevice::ReadOnly));
    QVERIFY(readerable.readAll().contains("function isProbablyReaderable("));
}

void tst_ReaderView::probablyAnArticle_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("readerable");

    QTest::newRow("a news article") << newsPage() << true;
    QTest::newRow("links and a line")
        << htmlPage("Index",
                    "<ul><li><a href='/1'>One</a></li><li><a href='/2'>Two</a></li></ul>"
                    "<p>Short.</p>")
        << false;
}

void tst_ReaderView::probablyAnArticle()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, readerable);

    const QString path = u"/"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
    m_server.route(path, body);
    QSignalSpy checked(&reader(), &ReaderView::readerableChecked);
    QSignalSpy messages(&reader(), &PageReader::ReaderMessage);
    QVERIFY(loadAndWait(*m_control, m_server.url(path)));
    QVERIFY(waitFor(checked));
    QCOMPARE(checked.first().at(1).toBool(), readerable);
    QCOMPARE(messages.size(), readerable ? 1 : 0);
    if (readerable) {
        QCOMPARE(messages.first().first().toString(), u"Reader view available (F9)"_s);
        return;
    }
    // No article: the command says so and the page stays.
    QSignalSpy finished(&reader(), &ReaderView::finished);
    reader().ToggleReaderView();
    QVERIFY(waitFor(finished));
    QCOMPARE(finished.first().first().value<Reader::Outcome>(), Reader::Outcome::NoArticle);
    QCOMPARE(messages.last().first().toString(),
             Reader::outcomeMessage(Reader::Outcome::NoArticle));
    QCOMPARE(m_control->LocationURL(), m_server.url(path));
}

void tst_ReaderView::articleWithoutThePageAround()
{
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/news.html"_s)));
    QVERIFY(showArticle());
    const QString location = m_control->LocationURL();
    QVERIFY(location.startsWith(u"kestrav-reader:"_s));
    QVERIFY(!History::isRecorded(location));
    QCOMPARE(m_control->LocationName(), u"Herons return to the river"_s);
    // The HTML tools read the article as they read a page.
    const QString body = m_control->document().DocumentBodyInnerHTML();
    QVERIFY(body.contains(u"The grey herons came back"_s));
    QVERIFY(body.contains(u"By Ada Fielding"_s));
    const QString text = evaluate(page(), u"document.querySelector('main').innerText"_s);
    QCOMPARE(Reader::readingMinutes(text), 5);
    QVERIFY(body.contains(Reader::readingTimeText(5)));
    for (const QString &around :
         { u"BUY CHEAP WIDGETS"_s, u"FIRST COMMENT"_s, u"World</a>"_s, u"Copyright footer"_s })
        QVERIFY2(!body.contains(around), qPrintable(around));
    // Its pictures come from the page's site.
    QTRY_COMPARE(evaluate(page(), u"String(document.querySelector('main img').naturalWidth)"_s),
                 u"60"_s);
    // Find works on the article.
    QSignalSpy found(&m_control->find(), &PageFind::FindResult);
    m_control->find().FindText(u"grey herons"_s, false, false);
    QVERIFY(waitFor(found));
    QCOMPARE(found.last().at(1).toInt(), 40);
}

void tst_ReaderView::articleRunsNoScript()
{
    m_server.route(u"/scripted.html"_s,
                   newsPage("<p>Pictures of herons <img src='/missing.png' "
                            "onerror=\"document.title='ran'\"></p>"
                            "<p><a href='javascript:document.title=\"ran\"'>link</a></p>"));
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/scripted.html"_s)));
    QVERIFY(showArticle());
    QVERIFY(m_control->document().DocumentBodyInnerHTML().contains(u"onerror"_s));
    // The picture has had its chance to fail.
    QTest::qWait(500);
    QCOMPARE(evaluate(page(), u"document.title"_s), u"Herons return to the river"_s);
    // An origin of its own, shared with no page.
    QCOMPARE(evaluate(page(), u"self.origin"_s), u"null"_s);
    // A script may not even be added by hand to the article.
    evaluate(page(),
             u"var s = document.createElement('script'); s.textContent = "
             "\"document.title = 'added'\"; document.body.appendChild(s); 1"_s);
    QCOMPARE(evaluate(page(), u"document.title"_s), u"Herons return to the river"_s);

    // Nor may a page open the article the program keeps.
    const QString article = m_control->LocationURL();
    m_server.route(
        u"/opener.html"_s,
        htmlPage("Opener", "<script>location.href = '" + article.toUtf8() + "';</script>"));
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/opener.html"_s)));
    QTest::qWait(1500); // the page's own navigation has had its time
    QVERIFY(!evaluate(page(), u"document.documentElement.innerText"_s).contains(u"grey herons"_s));
}

void tst_ReaderView::returnsWhereThePageWas_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the command again") << u"toggle"_s;
    QTest::newRow("escape") << u"leave"_s;
    QTest::newRow("back") << u"back"_s;
}

void tst_ReaderView::returnsWhereThePageWas()
{
    QFETCH(QString, how);

    QVERIFY(loadAndWait(*m_control, m_server.url(u"/news.html"_s)));
    // Something of the page's own making, that a fresh load would not have.
    evaluate(page(), u"window.scrollTo(0, 1500); window.madeHere = 7; 1"_s);
    QCOMPARE(evaluate(page(), u"String(window.scrollY)"_s), u"1500"_s);
    QVERIFY(showArticle());
    QSignalSpy loaded(m_control, &WebBrowserControl::DownloadComplete);
    if (how == u"toggle")
        reader().ToggleReaderView();
    else if (how == u"leave")
        QVERIFY(reader().LeaveReaderView());
    else
        m_control->GoBack();
    QVERIFY(waitFor(loaded));
    QCOMPARE(m_control->LocationURL(), m_server.url(u"/news.html"_s));
    QVERIFY(!reader().ReaderViewShown());
    QTRY_COMPARE(evaluate(page(), u"String(window.scrollY)"_s), u"1500"_s);
    QVERIFY(!reader().LeaveReaderView());
}

void tst_ReaderView::hostilePageIsLeftAlone()
{
    // A million elements, made by the page itself; hidden, so that drawing them costs nothing.
    m_server.route(u"/million.html"_s,
                   htmlPage("Million",
                            "<script>var hidden = document.createElement('div');"
                            "hidden.hidden = true;"
                            "for (var i = 0; i < 1000000; ++i)"
                            "  hidden.appendChild(document.createElement('b'));"
                            "document.body.appendChild(hidden);</script>"));
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/million.html"_s)));
    QSignalSpy finished(&reader(), &ReaderView::finished);
    QSignalSpy messages(&reader(), &PageReader::ReaderMessage);
    reader().ToggleReaderView();
    QVERIFY(waitFor(finished, 1, Reader::TimeoutMs + 5000));
    QCOMPARE(finished.first().first().value<Reader::Outcome>(), Reader::Outcome::TooLarge);
    QCOMPARE(messages.last().first().toString(), Reader::outcomeMessage(Reader::Outcome::TooLarge));
    QCOMPARE(m_control->LocationURL(), m_server.url(u"/million.html"_s));
}

KESTRAV_TEST_MAIN(tst_ReaderView)
#include "tst_readerview.moc"
