// Everyday browsing through the real engine: find with its count, printing the page itself,
// and PDF documents shown in the view.

#include "fakeservices.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/hangwatch.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "testsupport.h"

#include <memory>
#include <QBuffer>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// A one-page PDF document that says text.
QByteArray pdfDocument(const QString &text)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        QFont font = painter.font();
        font.setPointSize(24);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, writer.width(), writer.height() / 4), Qt::AlignCenter, text);
    }
    return buffer.data();
}

} // namespace

class tst_Browsing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void findCounts_data();
    void findCounts();
    void printsThePage();
    void viewPageSourceLeavesThePage();
    void savesThePageWithoutAskingAgain_data();
    void savesThePageWithoutAskingAgain();
    void pdfShownInTheView();
    void hungPageIsStoppedWhenTheUserSaysSo_data();
    void hungPageIsStoppedWhenTheUserSaysSo();
    void pageWaitingForItsDialogIsNotAskedAbout();
    void linkMenuOpensInPlaceOnly();

private:
    TestSandbox m_sandbox;
    HttpServer m_server;
    std::shared_ptr<ScriptedUserQuestions> m_questions;
    std::unique_ptr<QWidget> m_host;
    WebEngineBrowserControl *m_control = nullptr;
};

void tst_Browsing::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.route(u"/find.html"_s,
                   htmlPage("Find",
                            "<p>Kestrel one</p><p>kestrel two</p><p>KESTREL three</p>"
                            "<p>kestrel four</p>"));
    m_server.route(u"/print.html"_s,
                   htmlPage("Print", "<h1>Printed headline</h1><p>Words on paper</p>"));
    HttpResponse pdf;
    pdf.contentType = "application/pdf";
    pdf.body = pdfDocument(u"Shown inline"_s);
    m_server.route(u"/document.pdf"_s, pdf);
    m_server.route(u"/hang.html"_s,
                   htmlPage("Hangs", "<script>setTimeout(() => { for (;;) {} }, 300)</script>"));
    // Its load never ends: the script stops the document in the middle.
    m_server.route(u"/hang-loading.html"_s,
                   htmlPage("Hangs", "<p>Start</p><script>for (;;) {}</script><p>never</p>"));
    m_server.route(u"/alert.html"_s,
                   htmlPage("Alert",
                            "<script>setTimeout(() => { alert('Wait for me');"
                            "document.title = 'Answered' }, 300)</script>"));
    m_server.route(u"/link.html"_s,
                   htmlPage("Link",
                            "<a href='/print.html' target='_blank' "
                            "style='position:fixed;inset:0;display:block'>Print</a>"));
    // Leaving it needs its answer, which never comes.
    m_server.route(u"/hang-unload.html"_s,
                   htmlPage("Hangs",
                            "<script>addEventListener('beforeunload', () => {});"
                            "setTimeout(() => { for (;;) {} }, 300)</script>"));
}

void tst_Browsing::init()
{
    m_questions = std::make_shared<ScriptedUserQuestions>();
    m_host = std::make_unique<QWidget>();
    m_control = showInHost(*m_host, m_questions);
}

void tst_Browsing::cleanup()
{
    m_host.reset();
    m_control = nullptr;
}

void tst_Browsing::findCounts_data()
{
    // Each step searches "kestrel" again: the next or the previous match, or the same search
    // with the case mattering or not.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("results");
    QTest::newRow("forward wraps")
        << QStringList { "next", "next", "next", "next", "next" }
        << QStringList { "1 of 4", "2 of 4", "3 of 4", "4 of 4", "1 of 4" };
    QTest::newRow("backward wraps") << QStringList { "next", "previous", "previous" }
                                    << QStringList { "1 of 4", "4 of 4", "3 of 4" };
    QTest::newRow("match case") << QStringList { "case", "case next", "case next" }
                                << QStringList { "1 of 2", "2 of 2", "1 of 2" };
    // A change of case sensitivity alone is a new search, with its own matches and count.
    QTest::newRow("match case ticked and cleared")
        << QStringList { "next", "case", "case next", "next" }
        << QStringList { "1 of 4", "1 of 2", "2 of 2", "1 of 4" };
}

void tst_Browsing::findCounts()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, results);
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/find.html"_s)));
    QSignalSpy found(&m_control->find(), &PageFind::FindResult);
    QStringList seen;
    for (const QString &step : steps) {
        m_control->find().FindText(u"kestrel"_s, step.startsWith(u"case"_s),
                                   step.endsWith(u"previous"_s));
        QVERIFY(waitFor(found, int(seen.size()) + 1));
        seen.append(u"%1 of %2"_s.arg(found.last().at(0).toInt()).arg(found.last().at(1).toInt()));
    }
    QCOMPARE(seen, results);

    m_control->find().FindText(u"no such word"_s, false, false);
    QVERIFY(waitFor(found, int(steps.size()) + 1));
    QCOMPARE(found.last().at(1).toInt(), 0);
}

void tst_Browsing::printsThePage()
{
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/print.html"_s)));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = m_sandbox.programFolder() + u"/page.pdf"_s;
    printer.setOutputFileName(path);
    m_control->printing().PrintPage(printer);
    const QString words = pdfWords(path);
    QVERIFY2(words.contains(u"Printed headline"_s) && words.contains(u"Words on paper"_s),
             qPrintable(words));
}

void tst_Browsing::viewPageSourceLeavesThePage()
{
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/find.html"_s)));
    QSignalSpy asked(&m_control->tools(), &PageTools::ViewSourceRequested);
    QMenu *menu = nullptr;
    inputUntil(
        *m_control,
        [](QWidget *surface, int attempt) {
            QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(40 + attempt % 2, 40));
        },
        [&] {
            menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            return menu != nullptr;
        });
    QVERIFY(menu);
    QAction *source = menu->findChild<QAction *>(u"viewPageSource"_s);
    QVERIFY(source);
    auto *view = qobject_cast<QWebEngineView *>(m_control->widget());
    QVERIFY(!menu->actions().contains(view->page()->action(QWebEnginePage::ViewSource)));
    source->trigger();
    menu->close();
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.first().first().toString(), m_server.url(u"/find.html"_s));
    QVERIFY(!m_control->Busy());
    QCOMPARE(m_control->LocationURL(), m_server.url(u"/find.html"_s));
}

void tst_Browsing::savesThePageWithoutAskingAgain_data()
{
    QTest::addColumn<bool>("singleFile");
    QTest::newRow("complete") << false;
    QTest::newRow("single file") << true;
}

void tst_Browsing::savesThePageWithoutAskingAgain()
{
    QFETCH(bool, singleFile);
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/print.html"_s)));
    const QString path
        = m_sandbox.programFolder() + (singleFile ? u"/page.mhtml"_s : u"/page.html"_s);
    m_control->document().SavePage(path, singleFile);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 0, 30'000);
    QTRY_COMPARE_WITH_TIMEOUT(m_control->downloadControl().DownloadsInProgress(), 0, 30'000);
    // A single file is MIME: its text may be broken across encoded lines.
    QVERIFY(readAll(path).replace("=\r\n", "").contains("Printed headline"));
    // The place was chosen with the command: the download asks nothing.
    QCOMPARE(m_questions->asked, QStringList());
}

void tst_Browsing::pdfShownInTheView()
{
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/document.pdf"_s)));
    QCOMPARE(m_control->LocationURL(), m_server.url(u"/document.pdf"_s));
    // Shown, not offered for saving.
    QCOMPARE(m_questions->asked, QStringList());
    QCOMPARE(m_control->downloadControl().DownloadsInProgress(), 0);
}

void tst_Browsing::hungPageIsStoppedWhenTheUserSaysSo_data()
{
    QTest::addColumn<QString>("hung");
    QTest::addColumn<bool>("navigationWaits");
    QTest::newRow("nothing asked meanwhile: the notice") << u"/hang.html"_s << false;
    QTest::newRow("an address asked meanwhile: it loads") << u"/hang-unload.html"_s << true;
    QTest::newRow("stuck while loading: the notice") << u"/hang-loading.html"_s << false;
}

void tst_Browsing::hungPageIsStoppedWhenTheUserSaysSo()
{
    QFETCH(QString, hung);
    QFETCH(bool, navigationWaits);
    const bool loads = hung != u"/hang-loading.html"_s;
    if (loads) {
        QVERIFY(loadAndWait(*m_control, m_server.url(hung)));
        QTRY_VERIFY(!m_control->Busy());
    } else {
        m_control->Navigate(m_server.url(hung));
    }
    // The page starts its endless loop a moment after it has loaded.
    QTest::qWait(1000);
    if (navigationWaits)
        m_control->Navigate(m_server.url(u"/print.html"_s));
    // The page goes unanswered for ten seconds; the user says Yes.
    m_questions->stopPage = true;

    QTRY_COMPARE_WITH_TIMEOUT(m_questions->asked, QStringList { "not responding 127.0.0.1" },
                              30'000);
    QWidget *notice = m_control->widget()->findChild<QWidget *>(u"pageTroubleNotice"_s);
    if (navigationWaits) {
        QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), u"Print"_s, 10'000);
        QVERIFY(!notice->isVisible());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), 10'000);
        // Over the page's area, not behind a surface of the engine's.
        QWidget *view = m_control->widget();
        const auto shown = [&] {
            QWidget *top = view->childAt(view->rect().center());
            return top == notice || notice->isAncestorOf(top);
        };
        QTRY_VERIFY(shown());
        QCOMPARE(m_control->LocationURL(), m_server.url(hung));
        QVERIFY(!m_control->Busy());
        // The same site loads again, and the notice goes.
        QVERIFY(loadAndWait(*m_control, m_server.url(u"/print.html"_s)));
        QCOMPARE(m_control->LocationName(), u"Print"_s);
        QVERIFY(!notice->isVisible());
    }
    QCOMPARE(m_questions->asked.size(), 1);
}

void tst_Browsing::pageWaitingForItsDialogIsNotAskedAbout()
{
    // The page waits for its alert longer than a hang takes: it is not asked about on top.
    auto *page
        = qobject_cast<GuardedPage *>(static_cast<QWebEngineView *>(m_control->widget())->page());
    bool shown = false;
    page->showDialog = [&](GuardedPage::Dialog, const QString &, QString *) {
        shown = true;
        QTest::qWait(int(HangWatch::HangMs) + 4'000);
        return true;
    };
    m_questions->stopPage = true;
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/alert.html"_s)));
    QTRY_VERIFY(shown);
    QTRY_COMPARE_WITH_TIMEOUT(m_control->LocationName(), u"Answered"_s, 30'000);
    QTest::qWait(3'000);
    QCOMPARE(m_questions->asked, QStringList());
}

void tst_Browsing::linkMenuOpensInPlaceOnly()
{
    QVERIFY(loadAndWait(*m_control, m_server.url(u"/link.html"_s)));
    QMenu *menu = nullptr;
    QVERIFY(inputUntil(
        *m_control,
        [](QWidget *surface, int attempt) {
            QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(40 + attempt % 2, 40));
        },
        [&] {
            menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            return menu != nullptr;
        }));
    // There is no tab or other window to offer.
    const QWebEnginePage *page = static_cast<QWebEngineView *>(m_control->widget())->page();
    for (const auto elsewhere :
         { QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::OpenLinkInNewTab,
           QWebEnginePage::OpenLinkInNewBackgroundTab, QWebEnginePage::OpenLinkInThisWindow })
        QVERIFY(!menu->actions().contains(page->action(elsewhere)));
    QAction *open = menu->findChild<QAction *>(u"openLink"_s);
    QVERIFY(open && menu->actions().contains(open));
    open->trigger();
    menu->close();
    QTRY_COMPARE(m_control->LocationName(), u"Print"_s);
}

KESTRAV_TEST_MAIN(tst_Browsing)
#include "tst_browsing.moc"
