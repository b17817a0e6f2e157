#include "app/frmframe.h"

#include "accessibility/accessibility.h"
#include "app/features.h"
#include "platform/api/appinfo.h"
#include "platform/api/downloads.h"
#include "platform/api/failure.h"
#include "platform/api/messagebox.h"
#include "platform/api/userquestions.h"
#include "ui/frmwebbrowser.h"
#include "ui/icons.h"
#include "ui/menubarkeys.h"
#include "ui/twips.h"
#include "ui/windowdesign.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

frmFrame::frmFrame(Platform platform)
    : CommonDialog1(platform.commonDialog)
    , m_platform(std::move(platform))
    , m_guard([this](const QString &name, const PlatformError &error) {
        showErrorBox(*m_platform.messageBox, name, error);
    })
{
    setObjectName(QStringLiteral("frmFrame"));
    setWindowTitle(tr("Main form"));
    setWindowIcon(Icons::named(QStringLiteral("kestrav")));
    resize(Twips::toPixels(this, 4680), Twips::toPixels(this, 3195));

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setBackground(palette().brush(QPalette::Dark));
    m_mdiArea->setAccessibleName(tr("Windows"));
    setCentralWidget(m_mdiArea);
    Accessibility::announceCaptionChanges(this);

    buildToolBar();
    buildStatusBar();
    buildMenus();

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        // A window made before the frame's first show may be activated by that show, before
        // its load has set the favorites path: its load step activates it then.
        if (window && window == m_webBrowserSubWindow && !m_webBrowserToLoad)
            activateWebBrowser();
    });
}

frmFrame::~frmFrame() = default;

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

frmWebBrowser *frmFrame::webBrowser() const
{
    return m_webBrowser;
}

template<typename Handler> void frmFrame::guarded(const char *name, Handler &&handler)
{
    // A new command: the status line of the last one has had its time.
    setStatusText(QString());
    m_guard.run(name, std::forward<Handler>(handler));
}

void frmFrame::setStatusText(const QString &text)
{
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

void frmFrame::MDIForm_Load()
{
    // Fill the screen also where no window manager carries out the maximised state.
    if (QScreen *display = screen())
        setGeometry(display->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    // The browser window, and its web view that draws through OpenGL, are in the frame before
    // its native window is first made: joining a shown frame, the view would have the frame's
    // native window replaced, and everything painted again. The window loads once shown.
    makeWebBrowser();
    show();
    showWebBrowser();
}

void frmFrame::mnuFileWebBrowser_Click()
{
    showWebBrowser();
}

void frmFrame::FrameToolBar_ButtonClick(QAction *Button)
{
    Q_UNUSED(Button);
    mnuFileWebBrowser_Click();
}

void frmFrame::mnuFileExit_Click()
{
    if (mayLeave())
        m_platform.app->End();
}

void frmFrame::endSession()
{
    if (m_downloads)
        m_downloads->cancelAll();
    m_platform.app->End();
}

void frmFrame::bringForward()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool frmFrame::mayLeave()
{
    const int running = m_downloads ? m_downloads->running() : 0;
    if (running == 0)
        return true;
    if (!m_platform.questions->quitCancellingDownloads(running))
        return false;
    m_downloads->cancelAll();
    return true;
}

void frmFrame::showWebBrowser()
{
    if (!m_webBrowser && !m_loadingWebBrowser)
        makeWebBrowser();
    if (m_webBrowser && m_webBrowserToLoad && !m_loadingWebBrowser) {
        m_webBrowserToLoad = false;
        m_loadingWebBrowser = true;
        frmWebBrowser *window = m_webBrowser;
        window->handlers().run("Form_Load", [window] { window->Form_Load(); });
        m_loadingWebBrowser = false;
        if (m_webBrowser && m_mdiArea->activeSubWindow() == m_webBrowserSubWindow)
            activateWebBrowser();
    }
    if (m_webBrowser)
        m_webBrowser->Show();
}

void frmFrame::activateWebBrowser()
{
    if (frmWebBrowser *browser = m_webBrowser)
        browser->handlers().run("Form_Activate", [browser] { browser->Form_Activate(); });
}

void frmFrame::makeWebBrowser()
{
    m_loadingWebBrowser = true;
    // The window is made inside its sub-window, so the web view is born in the frame's own
    // top-level window: moving a live view to another one costs it a new surface.
    auto *holder = new QMdiSubWindow;
    holder->setAttribute(Qt::WA_DeleteOnClose, false); // see webBrowserWindowClosing
    // Ctrl+W is the browser window's own close key; the sub-window's menu sharing it would
    // leave both unused.
    if (QMenu *system = holder->systemMenu()) {
        for (QAction *item : system->actions()) {
            QList<QKeySequence> keys = item->shortcuts();
            keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W));
            item->setShortcuts(keys);
        }
    }
    m_mdiArea->addSubWindow(holder);
    // Hidden until the window's load shows it, even when made before the frame is shown.
    holder->hide();
    Accessibility::announceCaptionChanges(holder);
    auto *window = new frmWebBrowser(*this, m_platform, browserFeatures(), holder);
    holder->setWidget(window);
    holder->setWindowIcon(window->windowIcon());
    m_webBrowserSubWindow = holder;
    m_webBrowser = window;
    m_downloads = &window->downloads();
    m_webBrowserToLoad = true;
    m_loadingWebBrowser = false;
}

void frmFrame::showWebBrowserWindow(frmWebBrowser *window)
{
    // A window that has already closed, and whose handler is still ending, stays closed.
    if (window != m_webBrowser)
        return;
    if (m_webBrowserSubWindow && m_webBrowserSubWindow->isHidden()) {
        menuBar()->clear();
        for (QMenu *menu : window->menus())
            menuBar()->addMenu(menu);
        // Settle the frame's layout (its toolbar was just hidden) before the window fills the
        // area, so the page starts loading at its final size instead of being resized.
        layout()->activate();
        m_webBrowserSubWindow->showMaximized();
    }
    m_mdiArea->setActiveSubWindow(m_webBrowserSubWindow);
}

void frmFrame::webBrowserWindowClosing(frmWebBrowser *window)
{
    if (window != m_webBrowser)
        return;
    QMdiSubWindow *holder = m_webBrowserSubWindow;
    m_webBrowser = nullptr;
    // A new browser window gets a sub-window of its own.
    m_webBrowserSubWindow = nullptr;
    showOwnMenus();
    window->handlers().deleteWhenIdle(holder ? static_cast<QObject *>(holder) : window);
}

void frmFrame::closeWebBrowserWindow(frmWebBrowser *window)
{
    if (m_webBrowserSubWindow && window == m_webBrowser)
        m_webBrowserSubWindow->close();
    else if (window)
        window->close();
}

void frmFrame::showOwnMenus()
{
    menuBar()->clear();
    menuBar()->addMenu(mnuFile);
}

void frmFrame::closeEvent(QCloseEvent *event)
{
    // A question that cannot be asked keeps the program, and its downloads, running.
    bool leave = false;
    guarded("Form_QueryUnload", [&] { leave = mayLeave(); });
    if (!leave) {
        event->ignore();
        return;
    }
    // The browser window's closing step runs before the program ends.
    if (m_webBrowserSubWindow)
        m_webBrowserSubWindow->close();
    event->accept();
}
