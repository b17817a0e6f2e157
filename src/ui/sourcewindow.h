#pragma once

#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QPointer>
#include <QWidget>

class FindBar;
class WebBrowserControl;

// A window of its own that shows a page's source as the engine renders it, with find:
// reused for every page, so the page and its history stay as they are.
class SourceWindow final : public QWidget
{
    Q_OBJECT

public:
    using ControlMaker = std::function<WebBrowserControl *(QWidget *parent)>;
    explicit SourceWindow(const ControlMaker &makeControl);

    void showSourceOf(const QString &url);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeView();

    WebBrowserControl *m_view = nullptr;
    FindBar *m_findBar = nullptr;
};

// The browser window's way to a page's source: the page asks (its menu's View source), and
// the source window, made at the first ask, shows it. The window goes with the browser window.
class SourceViewer final
{
public:
    static std::unique_ptr<SourceViewer> make(WindowParts &parts);

    explicit SourceViewer(SourceWindow::ControlMaker makeControl);
    ~SourceViewer();
    SourceViewer(const SourceViewer &) = delete;
    SourceViewer &operator=(const SourceViewer &) = delete;

    void showSourceOf(const QString &url);

private:
    SourceWindow::ControlMaker m_makeControl;
    QPointer<SourceWindow> m_window;
};
