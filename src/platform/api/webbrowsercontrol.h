#pragma once

#include <functional>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class Downloads;
class QAction;
class QPrinter;
class QWidget;

// The embeddable web-browser control (ctlWebBrowser): loads, renders and navigates pages.
// Operations fail with PlatformError; events arrive on the user-interface thread.
class WebBrowserControl : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~WebBrowserControl() override = default;

    // The control's surface, to be placed in a window.
    virtual QWidget *widget() = 0;

    // Starts a navigation to the text exactly as passed; returns before the page arrives.
    virtual void Navigate(const QString &url) = 0;
    // Fail with PlatformError when there is no page in that direction.
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    // The page that GoSearch opens; a query "q" on it searches for words.
    virtual QString SearchPage() const = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;

    virtual bool Busy() const = 0;
    virtual QString LocationName() const = 0;
    virtual QString LocationURL() const = 0;

    // Document access: Document.Body.innerHTML, and Document.Links(i).href in document
    // order with relative references resolved. Fail when there is no document or body.
    // A control may refuse a body larger than the source view shows (overflow), and stop
    // listing links after the first thousands.
    virtual QString DocumentBodyInnerHTML() = 0;
    virtual QStringList DocumentLinkHrefs() = 0;

    // ExecWB(SaveAsCommand, DontPromptUser, name): saves the displayed document's text
    // under name without asking; other commands fail.
    static constexpr int SaveAsCommand = 4;
    static constexpr int DontPromptUser = 2;
    virtual void ExecWB(int command, int option, const QString &name) = 0;
    // Saves the page as the engine keeps it: complete (the document and a folder of what it
    // uses) or as a single file; the save goes on like a download. Fails with PlatformError.
    virtual void SavePage(const QString &path, bool singleFile) = 0;

    virtual void SetFocus() = 0;

    // Downloads of this run that have not ended yet, whichever window started them.
    virtual int DownloadsInProgress() const = 0;
    // Stops them; a stopped download leaves no file behind.
    virtual void CancelDownloads() = 0;
    // The same downloads, one by one; they outlive the control while any of them runs.
    virtual Downloads &downloads() = 0;

    // Finds text in the page: the next match, or the previous one when backward, wrapping
    // around; every match is highlighted and FindResult tells how many there are. "" ends the
    // search and clears the highlights.
    virtual void FindText(const QString &text, bool matchCase, bool backward) = 0;

    // The zoom of the page shown, 1.0 for 100 %.
    virtual qreal ZoomFactor() const = 0;
    virtual void SetZoomFactor(qreal factor) = 0;
    // Chooses the zoom of each page by its address, before the page first paints; the zoom
    // set for a page holds through the engine's own resets while it loads.
    virtual void SetZoomForAddress(std::function<qreal(const QString &url)> zoomFor) = 0;

    // Prints the page itself, laid out for the printer's pages, and returns when it is done.
    // Fails with PlatformError.
    virtual void PrintPage(QPrinter &printer) = 0;
    // While the page's print preview is open, the page may be slow to answer: that is no hang.
    virtual void SetPrintPreviewOpen(bool open) = 0;
    // Shows the engine's developer tools for the page, in one window of their own.
    virtual void ShowInspector() = 0;
    // Offered after the engine's own items in the page's context menu.
    virtual void SetContextMenuActions(const QList<QAction *> &actions) = 0;
    // A CSS selector for the page's element under the pointer where the context menu last
    // opened, found as it opened (the page may change since); "" when there was none.
    virtual QString SelectorAtMenuPoint() const = 0;

Q_SIGNALS:
    // Whenever a load ends, also when it is stopped or fails.
    void DownloadComplete();
    // When a top-level navigation has committed.
    void NavigateComplete2(const QString &url);
    // The one line the control has for the status bar, "" when it has none: the address of
    // the link under the pointer, else how the downloads stand and why a page was not shown.
    void StatusTextChange(const QString &text);
    // The answer to FindText: the match shown (from 1) and the number of matches.
    void FindResult(int activeMatch, int numberOfMatches);
    // The page's title arrived or changed, after its navigation committed.
    void TitleChange(const QString &title);
    // The page asks to be printed (window.print()).
    void PrintRequested();
    // Ctrl and the wheel over the page: steps up (positive) or down.
    void ZoomStepRequested(int steps);
    // The user asks to see the page's source (the engine's own "View page source"), which is
    // shown elsewhere: the page and its history stay as they are.
    void ViewSourceRequested(const QString &url);
    // The control made a window of its own (the page's tools): the host gives it its keys.
    void WindowOpened(QWidget *window);
};
