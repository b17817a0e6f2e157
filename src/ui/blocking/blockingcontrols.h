#pragma once

#include "ui/commandtable.h"
#include "ui/feature.h"

#include <functional>
#include <memory>
#include <QObject>
#include <QPointer>

class ContentBlocking;
class PageEvents;
class PageTools;
class QAction;
class QWidget;
class StatusLine;
class WebBrowserControl;

// The browser window's part of content blocking: the status bar's count for the page, and
// the commands that allow the page's site, turn blocking off or on, and update the lists.
// The two switches show their state as check marks on their actions.
class BlockingControls final : public QObject
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static Commands::Rows<BlockingControls> commands();

    // The two switches are the window's actions actAllowAds and actBlocking; the unit keeps
    // their check marks and says the page's count, and how an update went, in the status line.
    static std::unique_ptr<BlockingControls> make(WindowParts &parts);

    // page: the control whose count the blocking tells, known by its identity alone; the
    // dialog of the element to hide opens over window.
    BlockingControls(QWidget &window, StatusLine &status, ContentBlocking &blocking,
                     const WebBrowserControl *page, PageEvents &events, PageTools &tools,
                     std::function<QString()> pageAddress, std::function<void()> reload,
                     WindowParts::Runner guarded, QAction *allowOnSite, QAction *blockingOn);

    // "12 blocked", or why nothing is blocked on the page; "" when nothing was.
    QString statusText() const;

    // Each keeps the choice (failing with PlatformError when it cannot) and reloads the page.
    void toggleSiteAllowance();
    void toggleBlocking();
    void updateLists();
    // Opens a dialog over the window that proposes to hide the element under the pointer
    // where the page's menu opened, on the page's site. Fails with PlatformError on a page
    // without a site. The dialog's Hide runs guarded, as every handler that Qt calls.
    void hideElementOnPage();

private:
    struct ShowStateAfter;
    void showState();
    void showStatus();
    void showMessage(const QString &text);
    QString pageAddress() const;

    WindowParts::Runner m_guarded;
    QWidget &m_window;
    StatusLine &m_status;
    ContentBlocking &m_blocking;
    const WebBrowserControl *m_page;
    PageTools &m_tools;
    std::function<QString()> m_pageAddress;
    std::function<void()> m_reload;
    QPointer<QAction> m_allowOnSite;
    QPointer<QAction> m_blockingOn;
};
