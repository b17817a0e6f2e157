#pragma once

#include <QList>
#include <QWebEngineView>

class QAction;
class WebBrowserControl;

// Pages that ask for a new window (target=_blank, window.open) open in this one view. The
// page's context menu offers the window's own actions after the engine's items, and Ctrl
// with the wheel asks the control for a zoom step.
class SingleWindowView final : public QWebEngineView
{
public:
    SingleWindowView(WebBrowserControl *control, QWidget *parent);

    QList<QAction *> menuActions;

protected:
    QWebEngineView *createWindow(QWebEnginePage::WebWindowType) override { return this; }
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WebBrowserControl *m_control;
};
