#include "platform/desktop/webengine/fullscreenwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

FullScreenWindow::FullScreenWindow(QWebEngineView *pageView)
    : m_view(new QWebEngineView(this))
    , m_pageView(pageView)
{
    setObjectName(QStringLiteral("FullScreenWindow"));
    setWindowTitle(pageView->window()->windowTitle());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setPage(pageView->page());

    // The page may ignore Esc; the window must not.
    auto *exit = new QAction(this);
    exit->setShortcut(Qt::Key_Escape);
    exit->setShortcutContext(Qt::WindowShortcut);
    connect(exit, &QAction::triggered, this, &FullScreenWindow::leaveFullScreen);
    addAction(exit);

    showFullScreen();
    activateWindow();
    m_view->setFocus();
}

FullScreenWindow::~FullScreenWindow()
{
    if (m_pageView)
        m_pageView->setPage(m_view->page());
}

void FullScreenWindow::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager: the page must leave full screen, which ends this window.
    event->ignore();
    leaveFullScreen();
}

void FullScreenWindow::leaveFullScreen()
{
    m_view->page()->triggerAction(QWebEnginePage::ExitFullScreen);
}
