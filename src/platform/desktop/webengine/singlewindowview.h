#pragma once

#include <QList>
#include <QWebEngineView>

class QAction;

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
    // A selector for the element under the pointer where the menu last opened.
    const QString &menuSelector() const { return m_menuSelector; }

Q_SIGNALS:
    // The page's source, which the engine would show in place of the page.
    void viewSourceAsked(const QString &url);
    // Ctrl and the wheel: steps up (positive) or down.
    void zoomStepAsked(int steps);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void findMenuSelector(QPoint position);

    QString m_menuSelector;
};
