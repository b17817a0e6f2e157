#pragma once

#include <QList>
#include <QWebEngineView>

class QAction;
class WebBrowserControl;

// The one view of the window: it makes no other, so what a page asks to open in a new window
// is left to the control to open in this one. The page's context menu offers no tab or window
// and the window's own actions after the engine's items, and Ctrl with the wheel asks the
// control for a zoom step. As the menu opens, the element under the pointer is named by a
// selector, for commands that act on it.
class SingleWindowView final : public QWebEngineView
{
    Q_OBJECT

public:
    SingleWindowView(WebBrowserControl *control, QWidget *parent);

    QList<QAction *> menuActions;
    // A selector for the element under the pointer where the menu last opened.
    const QString &menuSelector() const { return m_menuSelector; }

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void findMenuSelector(QPoint position);

    WebBrowserControl *m_control;
    QString m_menuSelector;
};
