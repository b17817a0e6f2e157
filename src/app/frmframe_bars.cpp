// The frame's own bars and menus: its toolbar, its status line, its File menu, and full screen.

#include "accessibility/accessibility.h"
#include "app/frmframe.h"
#include "ui/frmwebbrowser.h"
#include "ui/icons.h"
#include "ui/menubarkeys.h"
#include "ui/twips.h"
#include "ui/windowdesign.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

void frmFrame::buildToolBar()
{
    FrameToolBar = addToolBar(QString());
    FrameToolBar->setObjectName(QStringLiteral("FrameToolBar"));
    FrameToolBar->setMovable(false);
    FrameToolBar->setIconSize(QSize(16, 16));
    FrameToolBar->addSeparator();
    QAction *open = FrameToolBar->addAction(Icons::named(QStringLiteral("tbrOpen")), QString());
    open->setObjectName(QStringLiteral("tbrOpen"));
    open->setToolTip(QString());
    // The button has no tool tip; it does what File > Web browser does, and is named so.
    Accessibility::nameToolBar(FrameToolBar, tr("Frame toolbar"));
    FrameToolBar->widgetForAction(open)->setAccessibleName(tr("Web browser"));
    connect(FrameToolBar, &QToolBar::actionTriggered, this, [this](QAction *button) {
        if (button->isSeparator())
            return;
        guarded("FrameToolBar_ButtonClick", [&] { FrameToolBar_ButtonClick(button); });
    });
}

void frmFrame::buildStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    Panel1 = new QLabel(StatusBar1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(Twips::toPixels(this, WindowDesign::statusPanelWidth));
    StatusBar1->addWidget(Panel1);
    StatusBar1->setAccessibleName(tr("Status bar"));
    Accessibility::setMessage(Panel1, QString(), tr("Status"));
    setStatusBar(StatusBar1);
}

void frmFrame::buildMenus()
{
    mnuFile = new QMenu(tr("&File"), this);
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileWebBrowser = mnuFile->addAction(tr("&Web browser"));
    mnuFileWebBrowser->setObjectName(QStringLiteral("mnuFileWebBrowser"));
    mnuFileExit = mnuFile->addAction(tr("E&xit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(mnuFileWebBrowser, &QAction::triggered, this,
            [this] { guarded("mnuFileWebBrowser_Click", [&] { mnuFileWebBrowser_Click(); }); });
    connect(mnuFileExit, &QAction::triggered, this,
            [this] { guarded("mnuFileExit_Click", [&] { mnuFileExit_Click(); }); });
    menuBar()->setAccessibleName(tr("Menu bar"));
    new MenuBarKeys(menuBar(), [this] {
        QList<QAction *> keyed = actions();
        if (m_webBrowser)
            keyed += m_webBrowser->actions();
        return keyed;
    });
    showOwnMenus();
}

void frmFrame::setStatusText(const QString &text)
{
    // The window sets the line again as each page comes and goes, mostly to what it shows.
    // Set again, it is neither announced again nor laid out again: each layout repaints the
    // bar, and the whole window is composed anew, while the page is loading.
    if (text == Panel1->text())
        return;
    // A screen reader hears each line (a download's progress, a blocked request) as it comes.
    Accessibility::setMessage(Panel1, text, tr("Status"));
    // The panel keeps its design width, and widens for a line that would not fit in it.
    // The fixed width of the last line is let go first, or the label's size hint keeps it.
    const int designWidth = Twips::toPixels(this, WindowDesign::statusPanelWidth);
    Panel1->setMinimumWidth(0);
    Panel1->setMaximumWidth(QWIDGETSIZE_MAX);
    Panel1->setFixedWidth(qMax(designWidth, Panel1->sizeHint().width()));
}

void frmFrame::setFullScreen(bool on)
{
    if (on) {
        m_barsShownBeforeFullScreen = { !menuBar()->isHidden(), !StatusBar1->isHidden() };
        // A maximised sub-window draws its own title bar once the menu bar that held its
        // buttons is gone; the page alone fills the screen.
        setAttribute(Qt::WA_CanHostQMdiSubWindowTitleBar, true);
        menuBar()->hide();
        StatusBar1->hide();
        setWindowState(windowState() | Qt::WindowFullScreen);
        return;
    }
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    setAttribute(Qt::WA_CanHostQMdiSubWindowTitleBar, false);
    menuBar()->setVisible(m_barsShownBeforeFullScreen.first);
    StatusBar1->setVisible(m_barsShownBeforeFullScreen.second);
}

void frmFrame::showOwnMenus()
{
    menuBar()->clear();
    menuBar()->addMenu(mnuFile);
}
