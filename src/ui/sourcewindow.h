#pragma once

#include <functional>
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
