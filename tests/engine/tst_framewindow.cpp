// The frame's native window is made once, with the real engine on a real X display: a web view
// joining a frame already shown would replace the frame's native window, and everything would
// be painted again before the start page.

#include "../window/windowfixture.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"

class tst_FrameWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void madeOnceFromFirstShowToStartPage();
};

namespace {

// The frame's window id when first shown, and how often it changed after that.
class WindowIdWatch final : public QObject
{
public:
    WId shown = 0;
    int changes = 0;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *frame = static_cast<const QWidget *>(watched);
        if (event->type() == QEvent::Show && shown == 0)
            shown = frame->internalWinId();
        else if (event->type() == QEvent::WinIdChange && shown != 0)
            ++changes;
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
    QTRY_COMPARE_WITH_TIMEOUT(fixture.window().windowTitle(), QStringLiteral("Kestrav start page"),
                              60'000);
    fixture.frame->removeEventFilter(&watch);
    QVERIFY(watch.shown != 0);
    QCOMPARE(watch.changes, 0);
    QCOMPARE(fixture.frame->internalWinId(), watch.shown);
    // What the user sees stays: the frame maximised, the browser window filling it.
    QVERIFY(fixture.frame->isMaximized() || fixture.frame->isFullScreen()
            || fixture.frame->geometry() == fixture.frame->screen()->availableGeometry());
    QVERIFY(fixture.window().isVisible());
}

KESTRAV_TEST_MAIN(tst_FrameWindow)
#include "tst_framewindow.moc"
