#pragma once

#include "platform.h"

#include <QMainWindow>
#include <QPointer>

class frmWebBrowser;
class PlatformError;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QToolBar;

// The main frame: an MDI frame holding the one browser window.
class frmFrame final : public QMainWindow
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

    // Used by the browser window: its Show, its closing, and Go "Exist".
    void showWebBrowserWindow(frmWebBrowser *window);
    void webBrowserWindowClosing(frmWebBrowser *window);
    void closeWebBrowserWindow(frmWebBrowser *window);

    QToolBar *FrameToolBar = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuFileWebBrowser = nullptr;
    QAction *mnuFileExit = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Shows the browser window, loading it first when it is not loaded.
    void showWebBrowser();
    void showOwnMenus();
    void reportFailure(const QString &name, const PlatformError &error);
    template<typename Handler> void guarded(const char *name, Handler &&handler);

    Platform m_platform;
    QMdiArea *m_mdiArea = nullptr;
    QPointer<frmWebBrowser> m_webBrowser;
    QPointer<QMdiSubWindow> m_webBrowserSubWindow;
    bool m_loadingWebBrowser = false;
};
