#include "ui/source/sourcewindow.h"

#include "platform/api/failure.h"
#include "platform/api/pagetools.h"
#include "ui/find/findbar.h"

#include <QAction>

SourceWindow::SourceWindow(const PageMaker &makePage)
{
    // Named before the view is made: the view's maker may tell it by its window.
    setObjectName(QStringLiteral("sourceWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 650);
    m_view.emplace(makePage(this));
    m_view->widget.setParent(this);
    m_findBar = new FindBar(this, m_view->find, m_view->events, m_view->focus);
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
    Failure::skip([&] { m_view->navigate(QStringLiteral("view-source:") + url); });
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
    m_view->widget.setGeometry(0, 0, width(), height() - findBarHeight);
}

std::unique_ptr<SourceViewer> SourceViewer::make(WindowParts &parts)
{
    auto viewer = std::make_unique<SourceViewer>(parts.makePage, parts.page.address);
    QObject::connect(&parts.page.tools, &PageTools::ViewSourceRequested, &parts.window,
                     [&parts, viewer = viewer.get()](const QString &url) {
                         parts.guarded("ViewSource_Click", [&] { viewer->showSourceOf(url); });
                     });
    return viewer;
}

SourceViewer::SourceViewer(SourceWindow::PageMaker makePage, std::function<QString()> address)
    : m_makePage(std::move(makePage))
    , m_address(std::move(address))
{
}

Commands::Rows<SourceViewer> SourceViewer::commands()
{
    using namespace Commands;
    // The page menu's own "View page source" shows these keys.
    static constexpr Row<SourceViewer> rows[] = {
        keys<SourceViewer>(
            "actViewSource", QT_TRANSLATE_NOOP("frmWebBrowser", "View page source"), "Ctrl+Alt+U",
            [](SourceViewer &unit) { unit.showPageSource(); }, View::Browser),
    };
    return rows;
}

void SourceViewer::showPageSource()
{
    showSourceOf(m_address());
}

SourceViewer::~SourceViewer()
{
    // The page's source goes with the window that showed the page.
    delete m_window.data();
}

void SourceViewer::showSourceOf(const QString &url)
{
    if (!m_window)
        m_window = new SourceWindow(m_makePage);
    m_window->showSourceOf(url);
}
