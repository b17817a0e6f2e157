// The browser window's way to the downloads of the run.

#include "platform/api/downloads.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/downloadswindow.h"
#include "ui/frmwebbrowser.h"
#include "ui/webbrowserhost.h"

#include <QStatusBar>

Downloads &frmWebBrowser::downloads() const
{
    return ctlWebBrowser->downloadControl().downloads();
}

void frmWebBrowser::connectDownloads()
{
    // The status bar tells how the downloads stand; a click on it shows them.
    DownloadsWindow::followClicks(&m_host.frameStatusBar(), this, [this] {
        guarded("StatusBar1_Click", [&] {
            if (!ctlWebBrowser->downloadControl().downloads().rows().isEmpty())
                downloadsWindow().open();
        });
    });
}

DownloadsWindow &frmWebBrowser::downloadsWindow()
{
    if (!m_downloadsWindow) {
        m_downloadsWindow = std::make_unique<DownloadsWindow>(
            ctlWebBrowser->downloadControl().downloads(), *m_platform.files,
            [this](const char *name, const std::function<void()> &command) {
                reportAndLeave(name, command);
            });
        m_downloadsWindow->setWindowIcon(windowIcon());
    }
    return *m_downloadsWindow;
}
