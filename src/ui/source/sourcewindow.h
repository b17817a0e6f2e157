#pragma once

#include "ui/feature.h"

#include <functional>
#include <memory>
#include <optional>
#include <QPointer>
#include <QWidget>

class FindBar;

// A window of its own that shows a page's source as the engine renders it, with find:
// reused for every page, so the page and its history stay as they are.
class SourceWindow final : public QWidget
{
    Q_OBJECT

public:
    using PageMaker = std::function<WindowParts::Page(QWidget *parent)>;
    explicit SourceWindow(const PageMaker &makePage);

    void showSourceOf(const QString &url);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeView();

    std::optional<WindowParts::Page> m_view;
    FindBar *m_findBar = nullptr;
};

// The browser window's way to a page's source: the page asks (its menu's View source), and
// the source window, made at the first ask, shows it. The window goes with the browser window.
class SourceViewer final
{
public:
    static std::unique_ptr<SourceViewer> make(WindowParts &parts);

    static Commands::Rows<SourceViewer> commands();

    // address: the page's address now.
    SourceViewer(SourceWindow::PageMaker makePage, std::function<QString()> address);
    ~SourceViewer();
    SourceViewer(const SourceViewer &) = delete;
    SourceViewer &operator=(const SourceViewer &) = delete;

    void showSourceOf(const QString &url);
    // The source of the page shown.
    void showPageSource();

private:
    SourceWindow::PageMaker m_makePage;
    std::function<QString()> m_address;
    QPointer<SourceWindow> m_window;
};
