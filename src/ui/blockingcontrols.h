#pragma once

#include "ui/commandtable.h"

#include <functional>
#include <QObject>
#include <QPointer>

class ContentBlocking;
class QAction;
class QWidget;
class WebBrowserControl;

// The browser window's part of content blocking: the status bar's count for the page, and
// the commands that allow the page's site, turn blocking off or on, and update the lists.
// The two switches show their state as check marks on their actions.
class BlockingControls final : public QObject
{
    Q_OBJECT

public:
    // The commands of the unit, reached by their keys, as rows of the window's table.
    static CommandTable commands();

    BlockingControls(ContentBlocking &blocking, WebBrowserControl &browser, QAction *allowOnSite,
                     QAction *blockingOn, QObject *parent);

    // "12 blocked", or why nothing is blocked on the page; "" when nothing was.
    QString statusText() const;

    // Each keeps the choice (failing with PlatformError when it cannot) and reloads the page.
    void toggleSiteAllowance();
    void toggleBlocking();
    void updateLists();
    // Opens a dialog over window that proposes to hide the element under the pointer where
    // the page's menu opened, on the page's site. Fails with PlatformError on a page without
    // a site. The dialog's Hide runs through guarded, as every handler that Qt calls.
    using Guard = std::function<void(const char *name, const std::function<void()> &work)>;
    void hideElement(QWidget *window, const Guard &guarded);
    // The same over the window the controls belong to, with the guard given to guardWith.
    void hideElementOnPage();
    void guardWith(Guard guarded) { m_guarded = std::move(guarded); }

Q_SIGNALS:
    // statusText() has changed.
    void statusChanged();
    // A line for the status bar: how the update of the lists went.
    void message(const QString &text);

private:
    Guard m_guarded;
    struct ShowStateAfter;
    void showState();
    QString pageAddress() const;

    ContentBlocking &m_blocking;
    WebBrowserControl &m_browser;
    QPointer<QAction> m_allowOnSite;
    QPointer<QAction> m_blockingOn;
};
