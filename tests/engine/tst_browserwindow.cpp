// The browser window with the real engine, driven as a user drives it, against pages served
// on the loopback interface.

#include "../window/windowfixture.h"
#include "hostedcontrol.h"
#include "httpserver.h"
#include "platform/desktop/profiledata/webprofile.h"
#include "platform/desktop/reader/readerscheme.h"
#include "platform/desktop/webengine/downloadtracker.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "ui/downloads/downloadsmodel.h"
#include "ui/downloads/downloadswindow.h"

#include <csignal>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

constexpr int LoadTimeoutMs = 60'000;
// The reader's scheme is known to the engine only when registered before it starts.
const bool readerSchemeRegistered = (ReaderScheme::registerAtStart(), true);

} // namespace

class tst_BrowserWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startsAtTheHomePage();
    void typedAddressLoadsWithBusyIndication();
    void backAndForwardMoveBetweenPages();
    void everyAddressHasAnOutcome_data();
    void everyAddressHasAnOutcome();
    void hoveredLinkShowsInThePanel_data();
    void hoveredLinkShowsInThePanel();
    void leftPageNamesNoLink();
    void zoomKeptPerSite();
    void crashedPageShowsANoticeAndReloads();
    void closingDuringADownload_data();
    void closingDuringADownload();
    void downloadsWindowCancelsAndQuitAsks();
    void savedPageToldInThePanel_data();
    void savedPageToldInThePanel();
    void readerViewStandsForThePage();

private:
    frmWebBrowser &window() { return m_fixture->window(); }
    QStringList addressEntries();
    qreal pageZoom() const
    {
        return qobject_cast<QWebEngineView *>(m_engine->widget())->page()->zoomFactor();
    }

    HttpServer m_server;
    std::unique_ptr<WindowFixture> m_fixture;
    QPointer<WebEngineBrowserControl> m_engine;
    std::shared_ptr<DownloadTracker> m_downloads;
};

void tst_BrowserWindow::initTestCase()
{
    QVERIFY(readerSchemeRegistered);
    QVERIFY(m_server.listen());
    m_server.route("/one.html", htmlPage("Page one"));
    m_server.route("/two.html", htmlPage("Page two"));
    HttpResponse slow;
    slow.body = htmlPage("Slow page");
    slow.delayMs = 2500;
    m_server.route("/slow.html", slow);
    // A link that fills the top-left corner of the page.
    m_server.route("/links.html",
                   htmlPage("Links",
                            "<a href=\"/two.html\" style=\"position:absolute;left:0;top:0;"
                            "width:300px;height:100px;display:block\">two</a>"));
    HttpResponse download = HttpResponse::attachment("data.bin", QByteArray(512 * 1024, 'k'));
    download.holdAfter = 1024;
    m_server.route("/data.bin", download);
    m_server.route(
        "/parts.html",
        htmlPage("Parts", "<img src=\"/picture.svg\"><p>" + QByteArray(90 * 1024, 'w') + "</p>"));
    HttpResponse picture;
    picture.contentType = "image/svg+xml";
    picture.body = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                   "<!--"
        + QByteArray(30 * 1024, 'p') + "--></svg>";
    m_server.route("/picture.svg", picture);
}

void tst_BrowserWindow::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->test.platform.createWebBrowserControl = [this](QWidget *parent) {
        // The run's downloads, as the program's platform holds them.
        if (!m_downloads)
            m_downloads = std::make_shared<DownloadTracker>(WebProfile::shared());
        auto *control = new WebEngineBrowserControl(parent, m_fixture->test.questions, m_downloads);
        m_engine = control;
        return control;
    };
    m_fixture->start();
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Kestrav start page"),
                              LoadTimeoutMs);
}

void tst_BrowserWindow::cleanup()
{
    m_fixture.reset();
    m_downloads.reset();
}

QStringList tst_BrowserWindow::addressEntries()
{
    return itemTexts(m_fixture->cboAddress());
}

void tst_BrowserWindow::startsAtTheHomePage()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->tbrProgress()->value(), 0, LoadTimeoutMs);
    // The start page is the program's own: the box is empty and has the keys, as for a new
    // page, and its address is no entry.
    QCOMPARE(addressEntries(), QStringList());
    QCOMPARE(m_fixture->cboAddress()->currentText(), QString());
    QTRY_VERIFY(m_fixture->cboAddress()->hasFocus());
    QVERIFY(window().lastURLWasNew());
    QVERIFY(m_fixture->timer1()->isActive());
}

void tst_BrowserWindow::typedAddressLoadsWithBusyIndication()
{
    QStringList captions;
    connect(m_fixture->timer1(), &QTimer::timeout, this,
            [&] { captions.append(window().windowTitle()); });

    m_fixture->typeAndEnter(m_server.url("/slow.html"));
    QVERIFY(m_fixture->timer1()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(m_engine->Busy(), LoadTimeoutMs);
    // Every tick while the page is on its way shows the busy caption.
    QTRY_VERIFY_WITH_TIMEOUT(captions.count(QStringLiteral("Processing...")) >= 2, LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Slow page"), LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->tbrProgress()->value(), 0, LoadTimeoutMs);
    QCOMPARE(addressEntries().first(), m_engine->LocationURL());
    QCOMPARE(m_engine->LocationURL(), m_server.url("/slow.html"));
    QCOMPARE(m_fixture->cboAddress()->currentText(), m_server.url("/slow.html"));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_BrowserWindow::backAndForwardMoveBetweenPages()
{
    m_fixture->typeAndEnter(m_server.url("/one.html"));
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page one"), LoadTimeoutMs);
    m_fixture->typeAndEnter(m_server.url("/two.html"));
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page two"), LoadTimeoutMs);

    const auto click = [&](const char *key) { m_fixture->clickButton(QString::fromLatin1(key)); };
    click("tbrBack");
    QCOMPARE(m_fixture->tbrProgress()->value(), 90);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page one"), LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->tbrProgress()->value(), 0, LoadTimeoutMs);
    QCOMPARE(addressEntries().first(), m_server.url("/one.html"));

    m_fixture->chooseItem("mnuGoForward");
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page two"), LoadTimeoutMs);
    // The start page is the program's own, and no entry of the list.
    QCOMPARE(addressEntries(),
             (QStringList { m_server.url("/two.html"), m_server.url("/one.html") }));
    // The title can come before the load has finished: that finish is not Forward's.
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->tbrProgress()->value(), 0, LoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy(), LoadTimeoutMs);

    // Nothing ahead: Forward does nothing and says nothing. The idle tick that takes the
    // bar back to 0 would find a navigation that had started.
    QSignalSpy loads(m_engine.data(), &WebBrowserControl::DownloadComplete);
    click("tbrForward");
    QCOMPARE(m_fixture->tbrProgress()->value(), 90);
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->tbrProgress()->value(), 0, LoadTimeoutMs);
    QVERIFY(!m_engine->Busy());
    QCOMPARE(loads.count(), 0);
    QCOMPARE(window().windowTitle(), QStringLiteral("Page two"));
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_BrowserWindow::zoomKeptPerSite()
{
    // The same server under two names: two sites.
    const QString here = m_server.url("/one.html");
    const QString elsewhere = QString(m_server.url("/two.html")).replace("127.0.0.1", "localhost");
    m_fixture->typeAndEnter(here);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page one"), LoadTimeoutMs);
    m_fixture->chooseItem("actZoomIn");
    m_fixture->chooseItem("actZoomIn");
    QCOMPARE(pageZoom(), 1.25);
    QCOMPARE(m_fixture->test.settings->GetSetting("ZivaruruviVO", "Zoom", "127.0.0.1"),
             QStringLiteral("125"));
    QCOMPARE(m_fixture->frame->Panel1->text(), QStringLiteral("Zoom 125 %"));

    m_fixture->typeAndEnter(elsewhere);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page two"), LoadTimeoutMs);
    QCOMPARE(pageZoom(), 1.0);
    QCOMPARE(m_fixture->frame->Panel1->text(), QString());

    m_fixture->typeAndEnter(here);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page one"), LoadTimeoutMs);
    QCOMPARE(pageZoom(), 1.25);
    m_fixture->chooseItem("actZoomReset");
    QCOMPARE(m_fixture->test.settings->GetAllSettings("ZivaruruviVO", "Zoom"),
             QList<SettingsStore::Row>());
}

void tst_BrowserWindow::crashedPageShowsANoticeAndReloads()
{
    const QString address = m_server.url("/one.html");
    m_fixture->typeAndEnter(address);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page one"), LoadTimeoutMs);
    QWidget *notice = m_engine->widget()->findChild<QWidget *>("pageTroubleNotice");
    for (int round = 0; round < 2; ++round) {
        // The page's process ends: the same notice each time, and nothing loads by itself.
        const qint64 process
            = qobject_cast<QWebEngineView *>(m_engine->widget())->page()->renderProcessPid();
        QVERIFY(process > 0);
        ::kill(pid_t(process), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), LoadTimeoutMs);
        QVERIFY(m_fixture->frame->Panel1->text().startsWith("The page stopped unexpectedly"));
        QCOMPARE(m_fixture->cboAddress()->currentText(), address);
        QTRY_COMPARE_WITH_TIMEOUT(m_fixture->tbrProgress()->value(), 0, LoadTimeoutMs);
        QVERIFY(window().windowTitle() != QStringLiteral("Processing..."));

        // F5 brings it back.
        QApplication::setActiveWindow(m_fixture->frame.get());
        QTest::keyClick(m_fixture->frame.get(), Qt::Key_F5);
        QTRY_VERIFY_WITH_TIMEOUT(!notice->isVisible(), LoadTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page one"),
                                  LoadTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy(), LoadTimeoutMs);
    }
    QCOMPARE(m_fixture->test.messages->prompts, QStringList());
}

void tst_BrowserWindow::everyAddressHasAnOutcome_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("title"); // the page's afterwards; "" when none loads
    QTest::addColumn<QString>("told"); // what the message box says, if anything
    QTest::newRow("encoded spaces stay encoded") << "/one.html?t=Wombat%20Heron%20Kettle"
                                                 << "Page one"
                                                 << "";
    QTest::newRow("an address the engine drops") << "http://python.3/"
                                                 << ""
                                                 << "\"http://python.3/\" is not a valid address.";
}

// An address loads, or the user is told why not; the box keeps it as the page has it.
void tst_BrowserWindow::everyAddressHasAnOutcome()
{
    QFETCH(QString, typed);
    QFETCH(QString, title);
    QFETCH(QString, told);
    if (typed.startsWith('/'))
        typed = m_server.url(typed);
    m_fixture->typeAndEnter(typed);
    if (!title.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), title, LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->tbrProgress()->value(), 0, LoadTimeoutMs);
    QCOMPARE(m_fixture->cboAddress()->currentText(), typed);
    const QStringList prompts = m_fixture->test.messages->prompts;
    QCOMPARE(prompts.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(prompts.at(0).endsWith(told), qPrintable(prompts.at(0)));
}

void tst_BrowserWindow::hoveredLinkShowsInThePanel_data()
{
    QTest::addColumn<QString>("then");
    QTest::newRow("pointer moves off the link") << "move";
    QTest::newRow("pointer leaves the page") << "leave";
    QTest::newRow("a navigation starts") << "navigate";
    QTest::newRow("the link is followed") << "click";
    QTest::newRow("an error page follows") << "error";
}

void tst_BrowserWindow::hoveredLinkShowsInThePanel()
{
    QFETCH(QString, then);
    m_fixture->typeAndEnter(m_server.url("/links.html"));
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Links"), LoadTimeoutMs);
    QLabel *panel = m_fixture->frame->Panel1;

    // Pointed at again, a pixel aside, until the link is seen.
    const QString target = m_server.url("/two.html");
    inputUntil(
        *m_engine,
        [](QWidget *surface, int attempt) {
            QTest::mouseMove(surface, QPoint(20 + attempt % 2, 20));
        },
        [&] { return panel->text() == target; });
    QCOMPARE(panel->text(), target);

    if (then == "move") {
        QTest::mouseMove(m_engine->widget()->focusProxy(), QPoint(400, 300));
    } else if (then == "leave") {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(m_engine->widget(), &leave);
    } else if (then == "click") {
        QTest::mouseClick(m_engine->widget()->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
        QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page two"),
                                  LoadTimeoutMs);
    } else if (then == "error") {
        // Nothing listens there: the page that follows is the engine's error page.
        m_fixture->typeAndEnter(QStringLiteral("http://127.0.0.1:9/"));
    } else {
        m_fixture->chooseItem("mnuGoHome");
    }
    QTRY_COMPARE_WITH_TIMEOUT(panel->text(), QString(), LoadTimeoutMs);
}

void tst_BrowserWindow::leftPageNamesNoLink()
{
    // Another site's page comes in a surface of its own; the one that goes names the link at its
    // corner as it goes, with no pointer on it.
    const QString elsewhere = QString(m_server.url("/two.html")).replace("127.0.0.1", "localhost");
    m_fixture->typeAndEnter(elsewhere);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Page two"), LoadTimeoutMs);
    m_fixture->typeAndEnter(m_server.url("/links.html"));
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Links"), LoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_engine->widget()->focusProxy()->hasFocus(), LoadTimeoutMs);

    QSignalSpy lines(m_engine.data(), &WebBrowserControl::StatusTextChange);
    m_fixture->chooseItem("mnuGoBack");
    QTRY_COMPARE_WITH_TIMEOUT(m_engine->LocationURL(), elsewhere, LoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy() && m_engine->widget()->focusProxy()->hasFocus(),
                             LoadTimeoutMs);
    QTest::qWait(500);
    for (const QList<QVariant> &line : std::as_const(lines))
        QCOMPARE_NE(line.first().toString(), m_server.url("/two.html"));
    QCOMPARE(m_fixture->frame->Panel1->text(), QString());
}

void tst_BrowserWindow::closingDuringADownload_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("let it finish") << false;
    QTest::newRow("cancelled") << true;
}

void tst_BrowserWindow::closingDuringADownload()
{
    QFETCH(bool, cancel);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("data.bin"));
    m_fixture->test.questions->savePath = target;
    m_fixture->test.questions->cancel = cancel;
    QLabel *panel = m_fixture->frame->Panel1;

    m_fixture->typeAndEnter(m_server.url("/data.bin"));
    QTRY_VERIFY_WITH_TIMEOUT(panel->text().startsWith(QStringLiteral("data.bin: ")), LoadTimeoutMs);
    QVERIFY(m_fixture->frame->mdiArea()->activeSubWindow()->close());
    QVERIFY(!m_fixture->frame->webBrowser());
    QCOMPARE(m_fixture->test.questions->asked.last(), QStringLiteral("cancel 1"));
    QTRY_VERIFY_WITH_TIMEOUT(m_engine.isNull(), LoadTimeoutMs);
    if (!cancel) {
        // The bare frame shows the download's progress, and its quit key asks as Exit does.
        QTRY_VERIFY_WITH_TIMEOUT(panel->text().startsWith(QStringLiteral("data.bin: ")),
                                 LoadTimeoutMs);
        QTest::keySequence(m_fixture->frame.get(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(m_fixture->test.questions->asked.last(), QStringLiteral("quit 1"));
        QCOMPARE(m_fixture->test.app->endCount, 0);
    } else {
        QCOMPARE(panel->text(), QString());
    }

    m_server.releaseHeld();
    if (cancel) {
        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                                  QStringList(), LoadTimeoutMs);
    } else {
        // The window and its page are gone; the download is not.
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(target).size(), 512 * 1024, LoadTimeoutMs);
        // The frame alone tells how it went, and its list comes back with the window.
        QTRY_VERIFY_WITH_TIMEOUT(panel->text().startsWith(QStringLiteral("data.bin: done")),
                                 LoadTimeoutMs);
        m_fixture->frame->mnuFileWebBrowser_Click();
        QVERIFY(m_fixture->frame->webBrowser());
        const QList<Downloads::Row> rows = window().downloads().rows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().state, Downloads::State::Finished);
    }
}

void tst_BrowserWindow::downloadsWindowCancelsAndQuitAsks()
{
    QTemporaryDir folder;
    m_fixture->test.questions->savePath = folder.filePath(QStringLiteral("data.bin"));
    m_fixture->typeAndEnter(m_server.url("/data.bin"));
    QLabel *panel = m_fixture->frame->Panel1;
    QTRY_VERIFY_WITH_TIMEOUT(panel->text().startsWith(QStringLiteral("data.bin: ")), LoadTimeoutMs);

    // Leaving asks, and staying leaves the download running.
    QTest::keySequence(m_fixture->frame.get(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(m_fixture->test.questions->asked.last(), QStringLiteral("quit 1"));
    QCOMPARE(m_fixture->test.app->endCount, 0);

    QTest::mouseClick(panel, Qt::LeftButton);
    DownloadsWindow *downloads = nullptr;
    for (QWidget *shown : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<DownloadsWindow *>(shown); found && found->isVisible())
            downloads = found;
    }
    QVERIFY(downloads);
    const QModelIndex row = downloads->list()->currentIndex();
    QCOMPARE(row.data().toString(), QStringLiteral("data.bin"));
    QCOMPARE(row.siblingAtColumn(DownloadsModel::StateColumn).data().toString(),
             QStringLiteral("downloading"));
    QTest::mouseClick(downloads->findChild<QPushButton *>(QStringLiteral("cmdCancelDownload")),
                      Qt::LeftButton);
    QCOMPARE(downloads->list()->currentIndex().siblingAtColumn(DownloadsModel::StateColumn).data(),
             QVariant(QStringLiteral("cancelled")));
    QTRY_COMPARE_WITH_TIMEOUT(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                              QStringList(), LoadTimeoutMs);

    // Nothing runs now: the program ends without a question.
    const qsizetype asked = m_fixture->test.questions->asked.size();
    QTest::keySequence(m_fixture->frame.get(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(m_fixture->test.questions->asked.size(), asked);
    QCOMPARE(m_fixture->test.app->endCount, 1);
}

void tst_BrowserWindow::savedPageToldInThePanel_data()
{
    QTest::addColumn<int>("kind"); // as chosen in the save dialog
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::newRow("complete") << 1 << "page.html"
                              << "page.html and page_files";
    QTest::newRow("single file") << 2 << "page.mhtml"
                                 << "page.mhtml";
}

void tst_BrowserWindow::savedPageToldInThePanel()
{
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QString, written);

    QTemporaryDir folder;
    m_fixture->typeAndEnter(m_server.url("/parts.html"));
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("Parts"), LoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_engine->Busy(), LoadTimeoutMs);
    m_fixture->test.dialog->path = folder.filePath(name);
    m_fixture->test.dialog->filterChosen = kind;
    QTest::keySequence(m_fixture->frame.get(), QKeySequence(QStringLiteral("Ctrl+S")));

    // The engine counts a few bytes for a saved page; what is told comes from the disk.
    QLabel *panel = m_fixture->frame->Panel1;
    QTRY_VERIFY_WITH_TIMEOUT(panel->text().contains(QStringLiteral("saved ") + name),
                             LoadTimeoutMs);
    qint64 size = 0;
    QDirIterator files(folder.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        size += files.nextFileInfo().size();
    QVERIFY2(size > 100 * 1024, qPrintable(QString::number(size)));
    const QString told
        = QStringLiteral("saved %1 in %2, %3")
              .arg(written, QDir::toNativeSeparators(folder.path()),
                   QLocale().formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat));
    QVERIFY2(panel->text().contains(told), qPrintable(panel->text() + " / " + told));
}

// The reader view as the window offers it: said once the page is loaded, shown by its key,
// left by Esc, while the history and the address box keep the page.
void tst_BrowserWindow::readerViewStandsForThePage()
{
    QByteArray story;
    for (int i = 0; i < 30; ++i)
        story += "<p>Paragraph " + QByteArray::number(i)
            + " of a story told at length, with commas, so that it reads as prose and is long "
              "enough to count as an article rather than a list of links.</p>";
    m_server.route(
        "/story.html",
        htmlPage("A story",
                 "<nav><a href='/one.html'>Home</a></nav><article>" + story + "</article>"));
    const QString page = m_server.url("/story.html");
    m_fixture->typeAndEnter(page);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_fixture->frame->Panel1->text().contains("Reader view available (F9)"), LoadTimeoutMs);

    m_fixture->chooseItem("actZoomIn");

    m_fixture->chooseItem("actReaderView");
    QTRY_VERIFY_WITH_TIMEOUT(m_engine->LocationURL().startsWith("kestrav-reader:"), LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(window().windowTitle(), QStringLiteral("A story"), LoadTimeoutMs);
    // The article zooms as the page's site: it comes at the site's zoom and keeps a step for it.
    QCOMPARE(pageZoom(), 1.1);
    m_fixture->chooseItem("actZoomIn");
    QCOMPARE(m_fixture->test.settings->GetSetting("ZivaruruviVO", "Zoom", "127.0.0.1"),
             QStringLiteral("125"));
    // The box names the page the article is read from, and lists no address of the view.
    QCOMPARE(m_fixture->cboAddress()->currentText(), page);
    const QStringList listed = addressEntries();
    QVERIFY2(!listed.join(' ').contains("kestrav-reader"), qPrintable(listed.join(' ')));
    QVERIFY(window().menuItem("actStop")->isEnabled());
    m_fixture->chooseItem("actStop");
    QTRY_COMPARE_WITH_TIMEOUT(m_engine->LocationURL(), page, LoadTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(pageZoom(), 1.25, LoadTimeoutMs);

    QStringList recorded;
    for (const FakeHistoryStore::Place &place : m_fixture->test.history->places)
        recorded.append(place.url);
    QVERIFY(recorded.contains(page));
    QVERIFY2(!recorded.join(' ').contains("kestrav-reader"), qPrintable(recorded.join(' ')));
}

KESTRAV_TEST_MAIN(tst_BrowserWindow)
#include "tst_browserwindow.moc"
