// The browser window's connections: the page's menu, the timer and what the page tells.

#include "accessibility/accessibility.h"
#include "platform/api/startupphase.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/frmwebbrowser.h"
#include "ui/picturebox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

void frmWebBrowser::connectEvents()
{
    connect(this, &QWidget::windowTitleChanged, this, &markStartupCaption);
    QList<QAction *> pageMenu;
    for (const Commands::Command &command : commands()) {
        if (command.inPageMenu)
            pageMenu.append(menuItem(QString::fromLatin1(command.name)));
    }
    ctlWebBrowser->tools().SetContextMenuActions(pageMenu);

    updateEscapeKey();

    // The window's timer and animation, and what the page tells as it loads and asks.
    connect(picAnimation, &PictureBox::clicked, this,
            [this] { m_guard.user("picAnimation_Click", [&] { picAnimation_Click(); }); });
    connect(timer1, &QTimer::timeout, this, [this] {
        m_guard.run("timer1_Timer", [&] {
            updateEscapeKey();
            timer1_Timer();
        });
    });
    // A new page: Esc has nothing more to stop.
    connect(ctlWebBrowser, &WebBrowserControl::DownloadComplete, this, [this] {
        m_guard.run("ctlWebBrowser_DownloadComplete", [&] {
            updateEscapeKey();
            ctlWebBrowser_DownloadComplete();
        });
    });
    connect(ctlWebBrowser, &WebBrowserControl::NavigateComplete2, this, [this](const QString &url) {
        m_guard.run("ctlWebBrowser_NavigateComplete2", [&] {
            updateEscapeKey();
            ctlWebBrowser_NavigateComplete2(url);
        });
    });
    connect(ctlWebBrowser, &WebBrowserControl::StatusTextChange, this, [this](const QString &text) {
        m_guard.run("ctlWebBrowser_StatusTextChange",
                    [&] { ctlWebBrowser_StatusTextChange(text); });
    });
}
