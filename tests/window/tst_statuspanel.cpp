// The frame's status panel as the browser window fills it from its web control, and the
// question about running downloads when the window closes.

#include "windowfixture.h"

#include <QLabel>

namespace {

// Counts the layouts asked of a widget.
class LayoutRequests final : public QObject
{
public:
    int count = 0;

    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::LayoutRequest;
        return false;
    }
};

} // namespace

class tst_StatusPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsTheControlsLine();
    void theSameLineAgainLeavesTheBarAlone();
    void closingAsksAboutRunningDownloads_data();
    void closingAsksAboutRunningDownloads();

private:
    QLabel *panel() const { return m_fixture->frame->Panel1; }

    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_StatusPanel::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
}

void tst_StatusPanel::cleanup()
{
    m_fixture.reset();
}

void tst_StatusPanel::showsTheControlsLine()
{
    const int designWidth = panel()->width();
    FakeWebBrowserControl &control = m_fixture->browser();
    Q_EMIT control.StatusTextChange(QStringLiteral("a.bin: 5%"));
    QCOMPARE(panel()->text(), QStringLiteral("a.bin: 5%"));
    QCOMPARE(panel()->width(), designWidth);

    // A line longer than the panel widens it rather than being cut; a short one brings the
    // design width back.
    const QString longLine
        = QStringLiteral("report.pdf: 1.2 MB of 40.0 MB (3%); ").repeated(6).chopped(2);
    Q_EMIT control.StatusTextChange(longLine);
    QCOMPARE(panel()->text(), longLine);
    QVERIFY(panel()->width() > designWidth);
    QVERIFY(panel()->width() >= panel()->fontMetrics().horizontalAdvance(longLine));
    Q_EMIT control.StatusTextChange(QString());
    QCOMPARE(panel()->text(), QString());
    // After a long line, the panel goes back to its design width.
    QCOMPARE(panel()->width(), designWidth);

    // A new page ends the messages about the one before, whoever left them.
    Q_EMIT control.StatusTextChange(QStringLiteral("https://pointed.example/"));
    Q_EMIT control.NavigateComplete2(QStringLiteral("https://next.example/"));
    QCOMPARE(panel()->text(), QString());

    // The frame outlives the window: what the window showed goes with it.
    Q_EMIT control.StatusTextChange(QStringLiteral("setup.iso: 10%"));
    m_fixture->window().mnuGoExit_Click();
    QCOMPARE(panel()->text(), QString());
}

void tst_StatusPanel::theSameLineAgainLeavesTheBarAlone()
{
    FakeWebBrowserControl &control = m_fixture->browser();
    QWidget *bar = panel()->parentWidget();
    Q_EMIT control.StatusTextChange(QStringLiteral("a.bin: 5%"));
    QCoreApplication::sendPostedEvents();
    LayoutRequests layouts;
    bar->installEventFilter(&layouts);

    Q_EMIT control.StatusTextChange(QStringLiteral("a.bin: 5%"));
    // A page that comes clears the line, and clears it again as it loads.
    Q_EMIT control.StatusTextChange(QString());
    QCoreApplication::sendPostedEvents();
    const int clearing = layouts.count;
    Q_EMIT control.NavigateComplete2(QStringLiteral("https://next.example/"));
    Q_EMIT control.DownloadComplete();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(layouts.count, clearing);
    QCOMPARE(panel()->text(), QString());
    // The line that did change was laid out.
    QVERIFY(clearing > 0);
}

void tst_StatusPanel::closingAsksAboutRunningDownloads_data()
{
    QTest::addColumn<int>("running");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("cancelled");

    QTest::newRow("none running") << 0 << true << QStringList() << false;
    QTest::newRow("two running, cancelled")
        << 2 << true << QStringList { QStringLiteral("cancel 2") } << true;
    QTest::newRow("one running, let finish")
        << 1 << false << QStringList { QStringLiteral("cancel 1") } << false;
}

void tst_StatusPanel::closingAsksAboutRunningDownloads()
{
    QFETCH(int, running);
    QFETCH(bool, cancel);
    QFETCH(QStringList, asked);
    QFETCH(bool, cancelled);

    FakeWebBrowserControl &control = m_fixture->browser();
    control.fakeDownloads.downloadsInProgress = running;
    m_fixture->test.questions->cancel = cancel;
    m_fixture->test.pointer->setMousePointer(ScreenPointer::Hourglass);

    QVERIFY(m_fixture->frame->mdiArea()->activeSubWindow()->close());
    // The window always closes, whatever the answer; the control goes a moment later.
    QVERIFY(!m_fixture->frame->webBrowser());
    QCOMPARE(m_fixture->test.questions->asked, asked);
    QCOMPARE(control.calls.contains(QStringLiteral("CancelDownloads")), cancelled);
    QCOMPARE(m_fixture->test.pointer->mousePointer(), ScreenPointer::Default);
}

KESTRAV_TEST_MAIN(tst_StatusPanel)
#include "tst_statuspanel.moc"
