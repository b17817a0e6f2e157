#pragma once

#include <functional>
#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;

// Keeps a menu bar from holding on to the keyboard. A menu bar opened from the keyboard stays
// in a mode of its own after its menu closes, where letters choose menus and the window's keys
// are dead (they belong to the window the focus has left). Here Esc from an open menu gives
// the focus back to where it was, and a window key (Ctrl, or F1 to F12) pressed in any state
// of the menu bar closes its menus and does what it does in the window.
class MenuBarKeys final : public QObject
{
    Q_OBJECT

public:
    // windowActions: the actions whose keys count, those of the window shown now.
    MenuBarKeys(QMenuBar *menuBar, std::function<QList<QAction *>()> windowActions);

    static bool isWindowKey(const QKeyEvent &key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchMenu(QMenu *menu);
    void menuClosed();
    void leaveKeyboardMode();
    bool holdsKeyboard() const;
    // Closes the menus and runs the window's command for the key; false when none has it.
    bool runWindowKey(const QKeyEvent &key);

    QMenuBar *m_menuBar;
    std::function<QList<QAction *>()> m_windowActions;
    // Where the keyboard was before the menu bar took it.
    QPointer<QWidget> m_focusBefore;
};
