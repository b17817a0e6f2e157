#pragma once

class CommonDialog;
class frmWebBrowser;
class QStatusBar;
class QString;
class QToolBar;

// What the browser window needs of the frame that holds it. The frame implements it, so the
// window never depends on the frame itself.
class WebBrowserHost
{
public:
    virtual ~WebBrowserHost() = default;

    // Shows the window in the frame and makes it the active one.
    virtual void showWebBrowserWindow(frmWebBrowser *window) = 0;
    // The window has run its closing step and is going away.
    virtual void webBrowserWindowClosing(frmWebBrowser *window) = 0;
    // Closes the window, as its close box would.
    virtual void closeWebBrowserWindow(frmWebBrowser *window) = 0;
    // Ends the program, as the frame's Exit does.
    virtual void exitProgram() = 0;

    virtual QToolBar &frameToolBar() = 0;
    virtual QStatusBar &frameStatusBar() = 0;
    // Puts one line in the status bar's panel; "" empties it.
    virtual void setStatusText(const QString &text) = 0;
    // Shows the frame on the whole screen without its menus and status bar, or back as it was.
    virtual void setFullScreen(bool on) = 0;
    // The frame's one common dialog, shared by every command that asks for a printer or a file.
    virtual CommonDialog &commonDialog() = 0;

protected:
    WebBrowserHost() = default;
};
