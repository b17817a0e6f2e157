#pragma once

#include <QPointer>
#include <QWidget>

class QWebEngineView;

// A page shown on the whole screen. The page moves here from its view while the window
// lives, and goes back to that view when the window goes; the view and the window around it
// are never touched, so they come back exactly as they were.
class FullScreenWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit FullScreenWindow(QWebEngineView *pageView);
    ~FullScreenWindow() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void leaveFullScreen();

    QWebEngineView *m_view;
    QPointer<QWebEngineView> m_pageView;
};
