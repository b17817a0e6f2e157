#include "singlewindowview.h"

#include "spellingmenu.h"
#include "webbrowsercontrol.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QWheelEvent>

SingleWindowView::SingleWindowView(WebBrowserControl *control, QWidget *parent)
    : QWebEngineView(parent)
    , m_control(control)
{
}

void SingleWindowView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The engine would load the source in place of the page; the window shows it in one of
    // its own instead.
    if (QAction *engineSource = page()->action(QWebEnginePage::ViewSource);
        menu->actions().contains(engineSource)) {
        auto *source = new QAction(engineSource->text(), menu);
        source->setObjectName(QStringLiteral("viewPageSource"));
        connect(source, &QAction::triggered, m_control,
                [control = m_control, url = page()->url().toString()] {
                    Q_EMIT control->ViewSourceRequested(url);
                });
        menu->insertAction(engineSource, source);
        menu->removeAction(engineSource);
    }
    // There is no tab or other window to open a link in: the link opens here.
    QAction *openHere = nullptr;
    for (const auto elsewhere :
         { QWebEnginePage::OpenLinkInNewTab, QWebEnginePage::OpenLinkInNewWindow,
           QWebEnginePage::OpenLinkInNewBackgroundTab }) {
        QAction *engineOpen = page()->action(elsewhere);
        if (!menu->actions().contains(engineOpen))
            continue;
        if (!openHere) {
            openHere = new QAction(tr("&Open Link"), menu);
            openHere->setObjectName(QStringLiteral("openLink"));
            connect(openHere, &QAction::triggered, this,
                    [this] { page()->triggerAction(QWebEnginePage::OpenLinkInThisWindow); });
            menu->insertAction(engineOpen, openHere);
        }
        menu->removeAction(engineOpen);
    }
    offerAllSuggestions(*menu, *page(), lastContextMenuRequest());
    if (!menuActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(menuActions);
    }
    menu->popup(event->globalPos());
}

bool SingleWindowView::event(QEvent *event)
{
    // The wheel goes to the engine's own surface, a child of the view.
    if (event->type() == QEvent::ChildAdded)
        static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
    return QWebEngineView::event(event);
}

bool SingleWindowView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
            if (steps != 0)
                Q_EMIT m_control->ZoomStepRequested(steps);
            return true;
        }
    }
    return QWebEngineView::eventFilter(watched, event);
}
