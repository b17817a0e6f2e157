#include "favorites/favoritesfile.h"
#include "httpserver.h"
#include "platform/api/richtextarea.h"
#include "platform/desktop/transfer/networkinternettransfer.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFrame>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

class tst_Lifecycle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadSetsUpTheWindow();
    void loadReadsRecentAddressesBeforeGoingHome();
    void favoritesFileCreatedWhenMissing();
    void favoritesFileLeftUntouched();
    void unwritableProgramFolderStillOpens_data();
    void unwritableProgramFolderStillOpens();
    void activationReadsFavorites();
    void activatedOnceAfterTheLoad();
    void frameToolbarRestoredOnClose_data();
    void frameToolbarRestoredOnClose();
    void closeAndReopenRunsLoadAgain();
    void closingCancelsTransferAndClearsHourglass();
    void exitEndsAtOnce();
    void bringForwardRestoresAndActivates();
    void closingFrameClosesBrowserWindowFirst();
    void closingFrameInsideCommand_data();
    void closingFrameInsideCommand();
};

namespace {

// The real transfer, counting the cancels that reach it.
class CountingTransfer final : public InternetTransfer
{
public:
    explicit CountingTransfer(std::shared_ptr<int> cancels)
        : m_cancels(std::move(cancels))
    {
    }
    QString OpenURL(const QString &url) override { return m_real.OpenURL(url); }
    void Cancel() override
    {
        ++*m_cancels;
        m_real.Cancel();
    }

private:
    NetworkInternetTransfer m_real;
    std::shared_ptr<int> m_cancels;
};

} // namespace

void tst_Lifecycle::loadSetsUpTheWindow()
{
    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();

    QVERIFY(fixture.frame->isVisible());
    QVERIFY(fixture.frame->windowState() & Qt::WindowMaximized);
    QMdiSubWindow *sub = fixture.frame->mdiArea()->activeSubWindow();
    QVERIFY(sub);
    QCOMPARE(sub->widget(), &window);
    QVERIFY(sub->isMaximized());

    QVERIFY(window.menuItem("mnuOptionsToolbar")->isChecked());
    QCOMPARE(window.favoritesFilePath(), fixture.favoritesPath());
    QCOMPARE(fixture.timer1()->interval(), 500);
    QVERIFY(fixture.Text1().widget()->isHidden());
    QVERIFY(!fixture.control("ctlWebBrowser")->isHidden());
    QVERIFY(!fixture.control<QFrame>("picLinksListContainer")->isHidden());
    // The browser view's commands, and home: the last step dispatches Home.
    QVERIFY(window.menuItem("mnuGo")->isEnabled());
    QVERIFY(!window.menuItem("mnuLinksPrintHTMLdoc")->isEnabled());
    QCOMPARE(fixture.browser().calls, QStringList { "GoHome" });
    QVERIFY(fixture.timer1()->isActive());
    QCOMPARE(fixture.tbrProgress()->value(), 90);
    QCOMPARE(fixture.test.messages->prompts, QStringList());
}

void tst_Lifecycle::loadReadsRecentAddressesBeforeGoingHome()
{
    WindowFixture fixture;
    fixture.test.settings->SaveSetting("ZivaruruviVO", "URL History", "URLHistory1",
                                       "http://example.test/");
    fixture.start();
    QVERIFY(fixture.window().menuItem("mnuURLHistory(0)")->isVisible());
    QCOMPARE(fixture.window().urlHistoryCaption(0), QStringLiteral("http://example.test/"));
}

void tst_Lifecycle::favoritesFileCreatedWhenMissing()
{
    WindowFixture fixture;
    QVERIFY(!QFile::exists(fixture.favoritesPath()));
    fixture.start();
    QFile file(fixture.favoritesPath());
    QVERIFY(file.exists());
    QCOMPARE(file.size(), 0);
}

void tst_Lifecycle::favoritesFileLeftUntouched()
{
    WindowFixture fixture;
    const QByteArray content("b\r\n\r\n  a  \r\nC\r\n");
    QFile file(fixture.favoritesPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QDateTime longAgo = QDateTime::currentDateTimeUtc().addYears(-3);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    file.close();

    fixture.start();

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QCOMPARE(file.fileTime(QFileDevice::FileModificationTime).toSecsSinceEpoch(),
             longAgo.toSecsSinceEpoch());
}

void tst_Lifecycle::unwritableProgramFolderStillOpens_data()
{
    QTest::addColumn<bool>("dataFolderWritable");
    QTest::newRow("installed: favorites in the data folder") << true;
    QTest::newRow("nowhere to keep them") << false;
}

void tst_Lifecycle::unwritableProgramFolderStillOpens()
{
    QFETCH(bool, dataFolderWritable);
    WindowFixture fixture;
    // A folder below a plain file can be created by nobody, not even by root.
    QFile blocker(fixture.sandbox.programFolder() + "/blocker");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    fixture.test.app->path = blocker.fileName() + "/program";
    if (!dataFolderWritable)
        fixture.test.app->dataPath = blocker.fileName() + "/data";
    // The frame is loaded hidden and shown last; a box during its load stands over the frame
    // as it was designed to be at that point: shown, its toolbar gone, no browser window yet.
    QStringList frameUnderBox;
    fixture.test.messages->shown = [&](const QString &) {
        frmFrame &frame = *fixture.frame;
        frameUnderBox << (frame.isVisible() ? u"shown"_s : u"hidden"_s)
                      << (frame.FrameToolBar->isVisible() ? u"toolbar"_s : u"no toolbar"_s)
                      << fixture.menuBarCaptions();
    };

    fixture.start();

    frmWebBrowser &window = fixture.window();
    QCOMPARE(fixture.browser().calls, QStringList { "GoHome" });
    QVERIFY(window.menuItem("mnuGo")->isEnabled());
    if (dataFolderWritable) {
        QCOMPARE(window.favoritesFilePath(), fixture.test.app->dataPath + "/Favorites.txt");
        QVERIFY(QFile::exists(window.favoritesFilePath()));
        QCOMPARE(fixture.test.messages->prompts, QStringList());
        return;
    }
    QCOMPARE(window.favoritesFilePath(), QString());
    QCOMPARE(fixture.test.messages->prompts.size(), 1);
    QCOMPARE(frameUnderBox, (QStringList { u"shown"_s, u"no toolbar"_s, u"&File"_s }));
    QVERIFY(fixture.test.messages->prompts.first().contains(fixture.test.app->dataPath));
    // Activations say nothing more; the commands answer with the error box.
    window.Form_Activate();
    QCOMPARE(fixture.test.messages->prompts.size(), 1);
    fixture.cboAddress()->setEditText("http://a.test/");
    QTest::mouseClick(fixture.control<QToolButton>("cmdAddFavorite"), Qt::LeftButton);
    QCOMPARE(fixture.test.messages->prompts.size(), 2);
    QVERIFY(fixture.test.messages->prompts.last().startsWith("cmdAddFavorite_Click\r\n"));
}

void tst_Lifecycle::activationReadsFavorites()
{
    WindowFixture fixture;
    fixture.start();
    frmWebBrowser &window = fixture.window();
    QCOMPARE(fixture.cboFavoritesList()->count(), 0);

    QFile file(fixture.favoritesPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("one\r\ntwo\r\n");
    file.close();
    window.Form_Activate();
    QCOMPARE(fixture.cboFavoritesList()->count(), 2);
    QCOMPARE(fixture.cboFavoritesList()->currentText(), QStringLiteral("one"));
}

namespace {

QStringList startupMarks;

void recordStartupMark(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "kestrav.startup") == 0)
        startupMarks.append(message.section(u' ', 0, -2));
}

} // namespace

void tst_Lifecycle::activatedOnceAfterTheLoad()
{
    // The frame is loaded hidden; showing the browser window in it activates the window, which
    // must not read the favorites before its load is done, nor twice.
    QLoggingCategory::setFilterRules(u"kestrav.startup=true"_s);
    startupMarks.clear();
    const QtMessageHandler before = qInstallMessageHandler(recordStartupMark);
    WindowFixture fixture;
    fixture.start();
    qInstallMessageHandler(before);
    QLoggingCategory::setFilterRules(QString());
    const QStringList marks
        = startupMarks.filter(QRegularExpression(u"^(load step|favorites read)$"_s));
    QCOMPARE(marks, (QStringList { u"load step"_s, u"favorites read"_s }));
}

void tst_Lifecycle::frameToolbarRestoredOnClose_data()
{
    QTest::addColumn<bool>("visibleAtLoad");
    QTest::newRow("visible") << true;
    QTest::newRow("hidden") << false;
}

void tst_Lifecycle::frameToolbarRestoredOnClose()
{
    QFETCH(bool, visibleAtLoad);
    WindowFixture fixture;
    fixture.start();
    QToolBar *toolbar = fixture.frame->FrameToolBar;
    QVERIFY(toolbar->isHidden());

    // The same state at a reopening, reached from the frame's own menu.
    fixture.window().mnuGoExit_Click();
    QApplication::processEvents();
    toolbar->setVisible(visibleAtLoad);
    fixture.frame->mnuFileWebBrowser_Click();
    QApplication::processEvents();
    QVERIFY(toolbar->isHidden());
    QCOMPARE(fixture.window().frameToolBarWasVisible(), visibleAtLoad);

    fixture.window().mnuGoExit_Click();
    QApplication::processEvents();
    QCOMPARE(!toolbar->isHidden(), visibleAtLoad);
}

void tst_Lifecycle::closeAndReopenRunsLoadAgain()
{
    WindowFixture fixture;
    fixture.start();
    QPointer<frmWebBrowser> first = &fixture.window();
    first->EnableCommandsProc(false);
    QFile::remove(fixture.favoritesPath());

    first->mnuGoExit_Click();
    QApplication::processEvents();
    QVERIFY(!fixture.frame->webBrowser());
    QTRY_VERIFY(first.isNull());
    QVERIFY(fixture.frame->isVisible());

    fixture.frame->mnuFileWebBrowser_Click();
    QApplication::processEvents();
    frmWebBrowser &second = fixture.window();
    QVERIFY(QFile::exists(fixture.favoritesPath()));
    QVERIFY(second.menuItem("mnuGo")->isEnabled());
    QCOMPARE(fixture.browser().calls, QStringList { "GoHome" });

    // Showing it again while it is open shows the same window.
    fixture.frame->mnuFileWebBrowser_Click();
    QCOMPARE(fixture.frame->webBrowser(), &second);
    QCOMPARE(fixture.frame->mdiArea()->subWindowList().size(), 1);
}

void tst_Lifecycle::closingCancelsTransferAndClearsHourglass()
{
    WindowFixture fixture;
    fixture.start();
    const std::shared_ptr<int> cancels = fixture.test.transferCancels;
    fixture.test.pointer->setMousePointer(ScreenPointer::Hourglass);

    QVERIFY(fixture.frame->mdiArea()->activeSubWindow()->close());
    QApplication::processEvents();
    QVERIFY(!fixture.frame->webBrowser());
    QCOMPARE(*cancels, 1);
    QCOMPARE(fixture.test.pointer->mousePointer(), ScreenPointer::Default);
    QCOMPARE(fixture.menuBarCaptions(), QStringList { "&File" });
}

void tst_Lifecycle::exitEndsAtOnce()
{
    WindowFixture fixture;
    fixture.start();
    const std::shared_ptr<int> cancels = fixture.test.transferCancels;
    fixture.frame->mnuFileExit->trigger();
    QCOMPARE(fixture.test.app->endCount, 1);
    // The browser window's closing step does not run.
    QCOMPARE(*cancels, 0);
    QVERIFY(fixture.frame->FrameToolBar->isHidden());
}

void tst_Lifecycle::bringForwardRestoresAndActivates()
{
    WindowFixture fixture;
    fixture.start();
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    fixture.frame->showMinimized();
    QVERIFY(fixture.frame->isMinimized());

    fixture.frame->bringForward();
    QVERIFY(!fixture.frame->isMinimized());
    // Maximised before it was minimised, it comes back maximised.
    QVERIFY(fixture.frame->isMaximized());
    QTRY_VERIFY(fixture.frame->isActiveWindow());
}

void tst_Lifecycle::closingFrameClosesBrowserWindowFirst()
{
    WindowFixture fixture;
    fixture.start();
    const std::shared_ptr<int> cancels = fixture.test.transferCancels;
    QVERIFY(fixture.frame->close());
    QCOMPARE(*cancels, 1);
    QVERIFY(!fixture.frame->webBrowser());
}

void tst_Lifecycle::closingFrameInsideCommand_data()
{
    QTest::addColumn<bool>("fetch"); // else the favorites delete, which yields to events
    QTest::newRow("held fetch of a linked document") << true;
    QTest::newRow("favorites delete") << false;
}

// A close that the nested event loop of a running command lets in: the closing step runs
// at once, but the window outlives the command (in a sanitizer build a freed window under
// the handler would be reported).
void tst_Lifecycle::closingFrameInsideCommand()
{
    QFETCH(bool, fetch);
    WindowFixture fixture;
    auto cancels = std::make_shared<int>(0);
    fixture.test.platform.createInternetTransfer
        = [cancels] { return std::make_unique<CountingTransfer>(cancels); };
    HttpServer server;
    QVERIFY(server.listen());
    HttpResponse held;
    held.held = true;
    held.body = "too late";
    server.route(QStringLiteral("/held"), held);
    QFile favorites(fixture.favoritesPath());
    QVERIFY(favorites.open(QIODevice::WriteOnly));
    favorites.write("http://a.test/\r\nhttp://b.test/\r\n");
    favorites.close();
    fixture.start();
    QPointer<frmWebBrowser> window = &fixture.window();
    QPointer<QWidget> holder = window->parentWidget(); // the frame's sub-window
    QVERIFY(holder);
    QToolBar *frameToolBar = fixture.frame->FrameToolBar;
    QVERIFY(frameToolBar->isHidden());

    // The frame closes as soon as the command waits in its nested loop.
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, fixture.frame.get(), [&] {
        if (fetch && server.requestCount(QStringLiteral("/held")) == 0)
            return;
        closer.stop();
        fixture.frame->close();
        // Whatever else runs in the nested loop may flush deferred deletions; the window
        // must not be among them while its command is still running.
        QCoreApplication::sendPostedEvents(holder, QEvent::DeferredDelete);
    });
    closer.start();
    if (fetch)
        fixture.cboLinksList()->addItem(server.url(QStringLiteral("/held")));
    // The command starts from a running event loop, as in the program.
    QEventLoop running;
    QTimer::singleShot(0, window, [&] {
        if (fetch)
            window->menuItem(QStringLiteral("mnuLinksDisplayLinkHTMLDoc"))->trigger();
        else
            QTest::mouseClick(fixture.control<QToolButton>("cmdDeleteFavorite"), Qt::LeftButton);
        running.quit();
    });
    running.exec();

    // The command has ended on a live, closed window.
    QVERIFY(!closer.isActive());
    QVERIFY(window);
    QVERIFY(!fixture.frame->webBrowser());
    QCOMPARE(*cancels, 1);
    QVERIFY(!frameToolBar->isHidden());
    QCOMPARE(fixture.menuBarCaptions(), QStringList { "&File" });
    if (fetch)
        QCOMPARE(fixture.Text1().Text(), QString()); // the cancelled fetch shows nothing
    else
        QCOMPARE(Favorites::readFavoritesFile(fixture.favoritesPath()),
                 QByteArray("http://b.test/\r\n"));
    // Only now may it go.
    QTRY_VERIFY(!window);
    server.releaseHeld();
}

KESTRAV_TEST_MAIN(tst_Lifecycle)
#include "tst_lifecycle.moc"
