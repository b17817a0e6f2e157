#include "app/frmframe.h"

#include "accessibility/accessibility.h"
#include "app/features.h"
#include "platform/api/appinfo.h"
#include "platform/api/downloads.h"
#include "platform/api/failure.h"
#include "platform/api/messagebox.h"
#include "platform/api/startupphase.h"
#include "platform/api/userquestions.h"
#include "ui/frmwebbrowser.h"
#include "ui/icons.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLayout>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

// A box shown while the frame is loaded hidden shows the frame first: the box stands over the
// window it speaks of, as any box does once the program runs.
class FrameFirstMessageBox final : public MessageBox
{
public:
    FrameFirstMessageBox(std::shared_ptr<MessageBox> box, std::function<void()> showFrame)
        : m_box(std::move(box))
        , m_showFrame(std::move(showFrame))
    {
    }

    void MsgBox(const QString &prompt) override
    {
        m_showFrame();
        m_box->MsgBox(prompt);
    }

private:
    std::shared_ptr<MessageBox> m_box;
    std::function<void()> m_showFrame;
};

} // namespace

frmFrame::frmFrame(Platform platform)
    : CommonDialog1(platform.commonDialog)
    , m_platform(std::move(platform))
    , m_guard([this](const QString &name, const PlatformError &error) {
        showErrorBox(*m_platform.messageBox, name, error);
    })
{
    if (m_platform.messageBox) {
        m_platform.messageBox = std::make_shared<FrameFirstMessageBox>(
            std::move(m_platform.messageBox), [this] { showLoadedFrame(); });
    }
    setObjectName(QStringLiteral("frmFrame"));
    setWindowTitle(tr("Main form"));
    // Every window of the program has its icon, the frame and those made later alike.
    QApplication::setWindowIcon(Icons::named(QStringLiteral("kestrav")));
    setWindowIcon(QApplication::windowIcon());
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
    // The browser window's Ctrl+Q is gone with it; the frame alone quits as File > Exit.
    m_quitAlone = new QAction(tr("Quit"), this);
    m_quitAlone->setObjectName(QStringLiteral("actQuitAlone"));
    m_quitAlone->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    m_quitAlone->setShortcutContext(Qt::WindowShortcut);
    m_quitAlone->setEnabled(false);
    addAction(m_quitAlone);
    connect(m_quitAlone, &QAction::triggered, this,
            [this] { guarded("mnuFileExit_Click", [&] { mnuFileExit_Click(); }); });

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        // A window is activated as it is made, or as its load shows it in the hidden frame,
        // before that load is done: its load step activates it once done.
        if (window && window == m_webBrowserSubWindow && !m_webBrowserToLoad
            && !m_loadingWebBrowser)
            activateWebBrowser();
    });
}

frmFrame::~frmFrame() = default;

frmWebBrowser *frmFrame::webBrowser() const
{
    return m_webBrowser;
}

void frmFrame::MDIForm_Load()
{
    // Fill the screen also where no window manager carries out the maximised state.
    if (QScreen *display = screen())
        setGeometry(display->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    // The browser window is made, loaded (its menus, the toolbar hidden, its sub-window
    // maximised) and given its page inside the hidden frame, which is then shown once, finished.
    // Shown first, the frame would be laid out and painted again as the window loads, while the
    // page's first frames are drawn; and the web view, which draws through OpenGL, joining a
    // shown frame would have the frame's native window replaced.
    m_showWhenLoaded = true;
    showWebBrowser();
    showLoadedFrame();
}

void frmFrame::showLoadedFrame()
{
    if (!m_showWhenLoaded)
        return;
    m_showWhenLoaded = false;
    show();
    markStartupPhase("frame shown");
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
    m_quitAlone->setEnabled(false);
    if (m_downloads)
        m_downloads->disconnect(this);
    m_downloadsAlone.clear();
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
    m_quitAlone->setEnabled(true);
    followDownloadsAlone();
    window->handlers().deleteWhenIdle(holder ? static_cast<QObject *>(holder) : window);
}

void frmFrame::followDownloadsAlone()
{
    if (!m_downloads)
        return;
    m_downloadsAlone.clear();
    for (const Downloads::Row &row : m_downloads->rows()) {
        if (row.state == Downloads::State::Running)
            m_downloadsAlone.append(row.id);
    }
    if (m_downloadsAlone.isEmpty())
        return;
    connect(m_downloads.data(), &Downloads::changed, this, &frmFrame::showDownloadsAlone);
    // After the window's own line has gone.
    QTimer::singleShot(0, this, &frmFrame::showDownloadsAlone);
}

void frmFrame::showDownloadsAlone()
{
    if (m_webBrowser || !m_downloads)
        return;
    QStringList lines;
    for (const Downloads::Row &row : m_downloads->rows()) {
        if (!m_downloadsAlone.contains(row.id))
            continue;
        QString progress;
        if (row.state != Downloads::State::Running)
            progress = row.ending;
        else if (row.total > 0)
            progress = tr("%1 %").arg(row.received * 100 / row.total);
        else
            progress = QLocale().formattedDataSize(row.received);
        lines.append(tr("%1: %2").arg(row.name, progress));
    }
    setStatusText(lines.join(QStringLiteral("; ")));
}

void frmFrame::closeWebBrowserWindow(frmWebBrowser *window)
{
    if (m_webBrowserSubWindow && window == m_webBrowser)
        m_webBrowserSubWindow->close();
    else if (window)
        window->close();
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
