#include "ui/menubarkeys.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

MenuBarKeys::MenuBarKeys(QMenuBar *menuBar, std::function<QList<QAction *>()> windowActions)
    : QObject(menuBar)
    , m_menuBar(menuBar)
    , m_windowActions(std::move(windowActions))
{
    m_menuBar->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (now == m_menuBar && old && !qobject_cast<QMenu *>(old))
            m_focusBefore = old;
    });
    for (QAction *action : m_menuBar->actions())
        watchMenu(action->menu());
}

bool MenuBarKeys::isWindowKey(const QKeyEvent &key)
{
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    // F10 is the menu bar's own key in many desktops; Alt keys are the menus' access keys.
    const bool functionKey = key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F12
        && key.key() != Qt::Key_F10 && !(mods & Qt::AltModifier);
    return functionKey || (mods & (Qt::ControlModifier | Qt::MetaModifier));
}

void MenuBarKeys::watchMenu(QMenu *menu)
{
    if (!menu)
        return;
    menu->installEventFilter(this);
    connect(menu, &QMenu::aboutToHide, this, &MenuBarKeys::menuClosed, Qt::UniqueConnection);
}

bool MenuBarKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_menuBar && event->type() == QEvent::ActionAdded)
        watchMenu(static_cast<QActionEvent *>(event)->action()->menu());
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool inMenus = watched == m_menuBar || qobject_cast<QMenu *>(watched);
        if (inMenus && isWindowKey(*key) && runWindowKey(*key))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void MenuBarKeys::menuClosed()
{
    // Checked once the menu has gone: moving to the next menu opens it at once, a chosen
    // item ends the mode by itself, and only a menu closed with Esc leaves the bar holding
    // the keyboard with nothing open.
    QTimer::singleShot(0, this, [this] {
        if (holdsKeyboard() && !QApplication::activePopupWidget())
            leaveKeyboardMode();
    });
}

void MenuBarKeys::leaveKeyboardMode()
{
    // Esc is how the bar itself leaves the mode; the focus goes back to where it was (the
    // bar does not always know).
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m_menuBar, &escape);
    if (m_focusBefore && m_focusBefore->isVisible()
        && m_focusBefore->window() == m_menuBar->window())
        m_focusBefore->setFocus(Qt::MenuBarFocusReason);
    else if (holdsKeyboard())
        m_menuBar->clearFocus();
}

bool MenuBarKeys::holdsKeyboard() const
{
    // Asked of its window, not the application: the desktop may not have given the frame its
    // activation back yet when its menu has just closed.
    return m_menuBar->window()->focusWidget() == m_menuBar;
}

bool MenuBarKeys::runWindowKey(const QKeyEvent &key)
{
    const QKeySequence pressed(key.keyCombination());
    for (QAction *action : m_windowActions()) {
        if (!action->shortcuts().contains(pressed))
            continue;
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        if (holdsKeyboard())
            leaveKeyboardMode();
        if (action->isEnabled())
            action->trigger();
        return true;
    }
    return false;
}
