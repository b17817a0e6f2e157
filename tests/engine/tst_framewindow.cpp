// The frame's native window is made once, with the real engine on a real X display: a web view
// joining a frame already shown would replace the frame's native window, and everything would
// be painted again before the start page. The frame is shown once, complete: the browser window
// loaded inside it, so that nothing is laid out and painted whole again while the page loads.

#include "../window/windowfixture.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"

class tst_FrameWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void madeOnceFromFirstShowToStartPage();
};

namespace {

// The frame's window id when first shown, and how often it changed after that; what the frame
// held when first shown.
class WindowIdWatch final : public QObject
{
public:
    WId shown = 0;
    int changes = 0;
    QStringList shownWith;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *frame = static_cast<const frmFrame *>(watched);
        if (event->type() == QEvent::Show && shown == 0) {
            shown = frame->internalWinId();
            for (QAction *menu : frame->menuBar()->actions())
                shownWith << menu->text();
            if (!frame->FrameToolBar->isHidden())
                shownWith << QStringLiteral("frame toolbar");
            if (QMdiSubWindow *holder = frame->mdiArea()->activeSubWindow();
                holder && holder->isMaximized() && !holder->isHidden())
                shownWith << QStringLiteral("browser window maximised");
        } else if (event->type() == QEvent::WinIdChange && shown != 0) {
            ++changes;
        }
        return false;
    }
};

// How often each watched widget was painted whole.
class WholePaints final : public QObject
{
public:
    QMap<QString, int> counts;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint
            && static_cast<QPaintEvent *>(event)->rect() == static_cast<QWidget *>(watched)->rect())
            ++counts[watched->objectName()];
        return false;
    }
};

} // namespace

void tst_FrameWindow::madeOnceFromFirstShowToStartPage()
{
    WindowFixture fixture;
    fixture.test.platform.createWebBrowserControl = [&fixture](QWidget *parent) {
        return new WebEngineBrowserControl(parent, fixture.test.questions);
    };
    fixture.frame = std::make_unique<frmFrame>(fixture.test.platform);
    WindowIdWatch watch;
    fixture.frame->installEventFilter(&watch);
    fixture.frame->MDIForm_Load();
    // Painted from the next pass of the event loop on.
    WholePaints paints;
    fixture.frame->installEventFilter(&paints);
    fixture.window().installEventFilter(&paints);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.window().windowTitle(), QStringLiteral("Kestrav start page"),
                              60'000);
    fixture.frame->removeEventFilter(&watch);
    QVERIFY(watch.shown != 0);
    QCOMPARE(watch.changes, 0);
    QCOMPARE(fixture.frame->internalWinId(), watch.shown);
    // Shown once complete: the browser window's menus, no frame toolbar, the window maximised.
    QStringList complete;
    for (QMenu *menu : fixture.window().menus())
        complete << menu->title();
    complete << QStringLiteral("browser window maximised");
    QCOMPARE(watch.shownWith, complete);
    // Then painted whole once, and not again as the page loads.
    const QMap<QString, int> once { { QStringLiteral("frmFrame"), 1 },
                                    { QStringLiteral("frmWebBrowser"), 1 } };
    QCOMPARE(paints.counts, once);
    // What the user sees stays: the frame maximised, the browser window filling it.
    QVERIFY(fixture.frame->isMaximized() || fixture.frame->isFullScreen()
            || fixture.frame->geometry() == fixture.frame->screen()->availableGeometry());
    QVERIFY(fixture.window().isVisible());
}

KESTRAV_TEST_MAIN(tst_FrameWindow)
#include "tst_framewindow.moc"
