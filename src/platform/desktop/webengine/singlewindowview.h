#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QWebEnginePage>
#include <QWebEngineView>

class QAction;
class QMenu;

// The one view of the window: it makes no other, so what a page asks to open in a new window
// is left to the control to open in this one. The page's context menu offers no tab or window
// and the window's own actions after the engine's items, and Ctrl with the wheel asks for a
// zoom step. As the menu opens, the element under the pointer is named by a
// selector, for commands that act on it.
class SingleWindowView final : public QWebEngineView
{
    Q_OBJECT

public:
    explicit SingleWindowView(QWidget *parent);

    QList<QAction *> menuActions;
    // The keys the window gives the engine's own menu items; the editing items have the
    // desktop's.
    QHash<QWebEnginePage::WebAction, QKeySequence> menuKeys;
    // A selector for the element under the pointer where the menu last opened.
    const QString &menuSelector() const { return m_menuSelector; }

Q_SIGNALS:
    // The page's source, which the engine would show in place of the page.
    void viewSourceAsked(const QString &url);
    // Ctrl and the wheel: steps up (positive) or down.
    void zoomStepAsked(int steps);
    // The pointer moved on the page, or a key was pressed in it.
    void userInput();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void findMenuSelector(QPoint position);
    // Puts the keys of the items that have them beside their names.
    void showKeys(QMenu &menu) const;

    QString m_menuSelector;
};
