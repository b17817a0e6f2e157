#include "platform/desktop/webengine/webenginepagetools.h"

#include "platform/desktop/webengine/singlewindowview.h"

#include <QWebEnginePage>
#include <QWebEngineView>

WebEnginePageTools::WebEnginePageTools(SingleWindowView *view, QWebEngineProfile *profile)
    : m_view(view)
    , m_profile(profile)
{
    connect(view, &SingleWindowView::viewSourceAsked, this, &PageTools::ViewSourceRequested);
}

WebEnginePageTools::~WebEnginePageTools()
{
    delete m_inspector;
}

void WebEnginePageTools::ShowInspector()
{
    // One window for the page's tools; closing it frees it.
    if (!m_inspector) {
        m_inspector = new QWebEngineView;
        m_inspector->setAttribute(Qt::WA_DeleteOnClose);
        m_inspector->setPage(new QWebEnginePage(m_profile, m_inspector));
        m_inspector->setWindowTitle(tr("Inspector"));
        m_inspector->resize(900, 600);
        m_view->page()->setDevToolsPage(m_inspector->page());
        Q_EMIT WindowOpened(m_inspector);
    }
    m_inspector->show();
    m_inspector->raise();
    m_inspector->activateWindow();
}

void WebEnginePageTools::SetContextMenuActions(const QList<QAction *> &actions)
{
    if (m_view)
        m_view->menuActions = actions;
}

void WebEnginePageTools::SetContextMenuKeys(const QHash<MenuItem, QString> &keys)
{
    if (!m_view)
        return;
    static const QHash<MenuItem, QWebEnginePage::WebAction> engineItems = {
        { MenuItem::Back, QWebEnginePage::Back },
        { MenuItem::Forward, QWebEnginePage::Forward },
        { MenuItem::Reload, QWebEnginePage::Reload },
        { MenuItem::SavePage, QWebEnginePage::SavePage },
        { MenuItem::ViewSource, QWebEnginePage::ViewSource },
    };
    m_view->menuKeys.clear();
    for (auto item = keys.cbegin(); item != keys.cend(); ++item)
        m_view->menuKeys.insert(engineItems.value(item.key()),
                                QKeySequence(item.value(), QKeySequence::PortableText));
}

QString WebEnginePageTools::SelectorAtMenuPoint() const
{
    return m_view ? m_view->menuSelector() : QString();
}
