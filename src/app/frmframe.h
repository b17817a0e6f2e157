#pragma once

#include "platform/api/platform.h"
#include "ui/handlerguard.h"
#include "ui/webbrowserhost.h"

#include <QMainWindow>
#include <QPair>
#include <QPointer>

class Downloads;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QToolBar;

// The main frame: an MDI frame holding the one browser window.
class frmFrame final : public QMainWindow, public WebBrowserHost
{
    Q_OBJECT

public:
    explicit frmFrame(Platform platform);
    ~frmFrame() override;

    void MDIForm_Load();
    void mnuFileWebBrowser_Click();
    void FrameToolBar_ButtonClick(QAction *Button);
    void mnuFileExit_Click();

    // The browser window while it is loaded, else nullptr.
    frmWebBrowser *webBrowser() const;
    QMdiArea *mdiArea() const { return m_mdiArea; }

    void showWebBrowserWindow(frmWebBrowser *window) override;
    void webBrowserWindowClosing(frmWebBrowser *window) override;
    void closeWebBrowserWindow(frmWebBrowser *window) override;
    QToolBar &frameToolBar() override { return *FrameToolBar; }
    QStatusBar &frameStatusBar() override { return *StatusBar1; }
    void setStatusText(const QString &text) override;
    CommonDialog &commonDialog() override { return *CommonDialog1; }
    void setFullScreen(bool on) override;
    void exitProgram() override { mnuFileExit_Click(); }
    // The session ends the program: as Exit, without asking, since nobody may be there to
    // answer; running downloads are cancelled.
    void endSession();
    // Another start of the program asked for this window: it comes to the front as it was
    // before it was minimised (a maximised frame stays maximised) and takes the keyboard.
    void bringForward();

    QToolBar *FrameToolBar = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *Panel1 = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuFileWebBrowser = nullptr;
    QAction *mnuFileExit = nullptr;
    // The one common dialog, lent to the browser window; its properties carry from one
    // command to the next.
    std::shared_ptr<CommonDialog> CommonDialog1;

protected:
    void closeEvent(QCloseEvent *event) override;
    // No context menu over the toolbar: it would let the user hide the frame's toolbar for
    // good, since nothing offers to show it again.
    QMenu *createPopupMenu() override { return nullptr; }

private:
    // The frame's designed parts, made by the constructor.
    void buildToolBar();
    void buildStatusBar();
    void buildMenus();
    // Shows the browser window, making and loading it first when it is not loaded.
    void showWebBrowser();
    // Makes the browser window in a hidden sub-window of its own, not yet loaded.
    void makeWebBrowser();
    void activateWebBrowser();
    // The frame's first show, once its load has made it complete; at once when a message box
    // comes before that.
    void showLoadedFrame();
    void showOwnMenus();
    // Whether the program may end now: downloads still running are cancelled, if the user
    // agrees to that.
    bool mayLeave();
    template<typename Handler> void guarded(const char *name, Handler &&handler);
    // Without the browser window, the frame tells how the downloads left running go, and
    // takes the quit key itself.
    void followDownloadsAlone();
    void showDownloadsAlone();

    Platform m_platform;
    HandlerGuard m_guard;
    QMdiArea *m_mdiArea = nullptr;
    QPointer<frmWebBrowser> m_webBrowser;
    QPointer<QMdiSubWindow> m_webBrowserSubWindow;
    // The run's downloads, which go on after a closed browser window, as long as any runs.
    QPointer<Downloads> m_downloads;
    // The downloads that ran when the browser window closed, which the frame's line follows.
    QList<quint32> m_downloadsAlone;
    QAction *m_quitAlone = nullptr;
    bool m_loadingWebBrowser = false;
    // The browser window made and not yet loaded waits for its load step.
    bool m_webBrowserToLoad = false;
    // The frame is loaded hidden, and is shown once its load is done.
    bool m_showWhenLoaded = false;
    // The menu bar and the status bar as they were shown before full screen.
    QPair<bool, bool> m_barsShownBeforeFullScreen { true, true };
};

template<typename Handler> void frmFrame::guarded(const char *name, Handler &&handler)
{
    // A new command: the status line of the last one has had its time.
    setStatusText(QString());
    m_guard.run(name, std::forward<Handler>(handler));
}
