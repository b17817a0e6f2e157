#include "platform/desktop/webengine/singlewindowview.h"

#include "platform/desktop/webengine/spellingmenu.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineScript>
#include <QWheelEvent>

namespace {

// The element's id when no other element has it, else its tag and classes, placed by
// :nth-of-type among its siblings where it needs to be, and so on up to an ancestor with such
// an id or the body: the shortest such path that selects the element alone.
const char *const SelectorAtPoint = R"((function (x, y) {
  const element = document.elementFromPoint(x, y);
  if (!element || element === document.documentElement || element === document.body) return '';
  const alone = selector => {
    const found = document.querySelectorAll(selector);
    return found.length === 1 && found[0] === element;
  };
  const path = [];
  for (let node = element; node; node = node.parentElement) {
    if (node.id && document.querySelectorAll('#' + CSS.escape(node.id)).length === 1) {
      path.unshift('#' + CSS.escape(node.id));
      break;
    }
    if (node === document.body || node === document.documentElement) {
      path.unshift(node.localName);
      break;
    }
    let step = CSS.escape(node.localName);
    for (const name of node.classList) step += '.' + CSS.escape(name);
    if (alone([step].concat(path).join(' > '))) return [step].concat(path).join(' > ');
    const same = Array.from(node.parentElement ? node.parentElement.children : [node])
                   .filter(sibling => sibling.localName === node.localName);
    if (same.length > 1) step += ':nth-of-type(' + (same.indexOf(node) + 1) + ')';
    path.unshift(step);
    if (alone(path.join(' > '))) return path.join(' > ');
  }
  return path.join(' > ');
})(%1, %2))";

} // namespace

SingleWindowView::SingleWindowView(QWidget *parent)
    : QWebEngineView(parent)
{
}

void SingleWindowView::contextMenuEvent(QContextMenuEvent *event)
{
    if (const QWebEngineContextMenuRequest *request = lastContextMenuRequest())
        findMenuSelector(request->position());
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The engine would load the source in place of the page; the window shows it in one of
    // its own instead.
    if (QAction *engineSource = page()->action(QWebEnginePage::ViewSource);
        menu->actions().contains(engineSource)) {
        auto *source = new QAction(engineSource->text(), menu);
        source->setObjectName(QStringLiteral("viewPageSource"));
        connect(source, &QAction::triggered, this,
                [this, url = page()->url().toString()] { Q_EMIT viewSourceAsked(url); });
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
    showKeys(*menu);
    offerAllSuggestions(*menu, *page(), lastContextMenuRequest());
    if (!menuActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(menuActions);
    }
    menu->popup(event->globalPos());
}

void SingleWindowView::showKeys(QMenu &menu) const
{
    QHash<QWebEnginePage::WebAction, QKeySequence> keys = menuKeys;
    const std::pair<QWebEnginePage::WebAction, QKeySequence::StandardKey> editing[] = {
        { QWebEnginePage::Undo, QKeySequence::Undo },
        { QWebEnginePage::Redo, QKeySequence::Redo },
        { QWebEnginePage::Cut, QKeySequence::Cut },
        { QWebEnginePage::Copy, QKeySequence::Copy },
        { QWebEnginePage::Paste, QKeySequence::Paste },
        { QWebEnginePage::SelectAll, QKeySequence::SelectAll },
    };
    for (const auto &[item, standard] : editing)
        keys.insert(item, QKeySequence(standard));
    for (QAction *action : menu.actions()) {
        QKeySequence shown;
        if (action->objectName() == QLatin1String("viewPageSource"))
            shown = keys.value(QWebEnginePage::ViewSource);
        for (auto key = keys.cbegin(); key != keys.cend() && shown.isEmpty(); ++key) {
            if (page()->action(key.key()) == action)
                shown = key.value();
        }
        // The text after a tab is the menu's column of keys; the engine's items are its own
        // and outlive the menu, so the keys are added once.
        if (!shown.isEmpty() && !action->text().contains(QLatin1Char('\t')))
            action->setText(action->text() + QLatin1Char('\t')
                            + shown.toString(QKeySequence::NativeText));
    }
}

void SingleWindowView::findMenuSelector(QPoint position)
{
    m_menuSelector.clear();
    // The page's coordinates are the view's, scaled by the zoom.
    const qreal zoom = zoomFactor() > 0 ? zoomFactor() : 1.0;
    page()->runJavaScript(QString::fromLatin1(SelectorAtPoint)
                              .arg(position.x() / zoom, 0, 'f', 1)
                              .arg(position.y() / zoom, 0, 'f', 1),
                          QWebEngineScript::ApplicationWorld,
                          [view = QPointer<SingleWindowView>(this)](const QVariant &selector) {
                              if (view)
                                  view->m_menuSelector = selector.toString();
                          });
}

bool SingleWindowView::event(QEvent *event)
{
    // The wheel, the pointer and the keys go to the engine's own surface, a child of the view.
    if (event->type() == QEvent::ChildAdded)
        static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
    return QWebEngineView::event(event);
}

bool SingleWindowView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::KeyPress)
        Q_EMIT userInput();
    if (event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
            if (steps != 0)
                Q_EMIT zoomStepAsked(steps);
            return true;
        }
    }
    return QWebEngineView::eventFilter(watched, event);
}
