#include "ui/sourcewindow.h"

#include "platform/api/failure.h"
#include "platform/api/pagetools.h"
#include "platform/api/platform.h"
#include "platform/api/webbrowsercontrol.h"
#include "ui/findbar.h"

#include <QAction>

SourceWindow::SourceWindow(const ControlMaker &makeControl)
{
    // Named before the view is made: the view's maker may tell it by its window.
    setObjectName(QStringLiteral("sourceWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 650);
    m_view = makeControl(this);
    m_view->widget()->setParent(this);
    m_findBar = new FindBar(this, m_view->find(), m_view->events(),
                            [view = m_view] { view->SetFocus(); });
    connect(m_findBar, &FindBar::openChanged, this, &SourceWindow::placeView);

    const auto addKeys = [this](const QString &keys, auto work) {
        auto *action = new QAction(this);
        action->setShortcuts(QKeySequence::listFromString(keys));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [work] { Failure::skip(work); });
        addAction(action);
    };
    addKeys(QStringLiteral("Ctrl+F"), [this] { m_findBar->open(); });
    addKeys(QStringLiteral("F3"), [this] { m_findBar->findNext(); });
    addKeys(QStringLiteral("Shift+F3"), [this] { m_findBar->findPrevious(); });
    addKeys(QStringLiteral("Esc"), [this] {
        if (m_findBar->isOpen())
            m_findBar->close();
        else
            close();
    });
    addKeys(QStringLiteral("Ctrl+W"), [this] { close(); });
}

void SourceWindow::showSourceOf(const QString &url)
{
    setWindowTitle(tr("Source of %1").arg(url));
    Failure::skip([&] { m_view->Navigate(QStringLiteral("view-source:") + url); });
    show();
    raise();
    activateWindow();
}

void SourceWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeView();
}

void SourceWindow::placeView()
{
    const int findBarHeight = m_findBar->isOpen() ? m_findBar->height() : 0;
    m_view->widget()->setGeometry(0, 0, width(), height() - findBarHeight);
}

std::unique_ptr<SourceViewer> SourceViewer::make(WindowParts &parts)
{
    auto viewer = std::make_unique<SourceViewer>(parts.platform.createWebBrowserControl);
    QObject::connect(&parts.page.tools, &PageTools::ViewSourceRequested, &parts.window,
                     [&parts, viewer = viewer.get()](const QString &url) {
                         parts.guarded("ViewSource_Click", [&] { viewer->showSourceOf(url); });
                     });
    return viewer;
}

SourceViewer::SourceViewer(SourceWindow::ControlMaker makeControl)
    : m_makeControl(std::move(makeControl))
{
}

SourceViewer::~SourceViewer()
{
    // The page's source goes with the window that showed the page.
    delete m_window.data();
}

void SourceViewer::showSourceOf(const QString &url)
{
    if (!m_window)
        m_window = new SourceWindow(m_makeControl);
    m_window->showSourceOf(url);
}
