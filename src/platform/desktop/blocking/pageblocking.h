#pragma once

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

class BlockedPageNotice;
class QWebEnginePage;
class WebBrowserControl;

// What a page asks of the blocking that it belongs to.
class PageRules
{
public:
    // What to hide on the page at url; "" when nothing is to be hidden there.
    virtual QString styleSheetFor(const QUrl &url) const = 0;
    // The rule that blocked the page at url, if it was blocked; "" otherwise.
    virtual QString blockedDocumentRule(const QUrl &url) const = 0;
    // The next load of the page at url is not blocked.
    virtual void allowOnce(const QUrl &url) = 0;
    virtual void pageCountChanged(const WebBrowserControl *control) = 0;

protected:
    ~PageRules() = default;
};

// Blocking as one page sees it. As the page asks for a new document (each hop of a
// redirect included) the page's count starts again and the style sheet of the document's
// site is set to be injected as the document is created, in a script world of our own; a
// page that a rule blocks shows our notice instead. Images, frames, objects and media whose
// requests were blocked are collapsed, so that they leave no hole in the page.
class PageBlocking final : public QWebEngineUrlRequestInterceptor
{
public:
    PageBlocking(PageRules &rules, WebBrowserControl *control, QWebEnginePage *page, QWidget *view);
    ~PageBlocking() override;

    // The rules are going away: the page asks nothing more of them.
    void detach() { m_rules = nullptr; }

    // The page's own interceptor: it sees the requests that the profile's let through.
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    const WebBrowserControl *control() const { return m_control; }
    // The origin of the document shown, which its requests name as their first party.
    const QString &origin() const { return m_origin; }
    int blocked() const { return m_blocked; }
    // A request of the page was blocked; elementAddress is the address of an element to
    // collapse (an image's, a frame's), "" for a request that no element shows.
    void countBlocked(const QString &elementAddress);

    // The host of the page shown; "" for a page without one.
    QString host() const;
    // Whether the page takes selector as CSS; fails with PlatformError when the page does
    // not answer.
    bool acceptsSelector(const QString &selector);
    // Hides what selector names on the page shown, until it is left.
    void hideNow(const QString &selector);

    static QString originOf(const QUrl &url);

private:
    void setStyleFor(const QUrl &url);
    void collapsePending();

    PageRules *m_rules;
    WebBrowserControl *m_control;
    QPointer<QWebEnginePage> m_page;
    BlockedPageNotice *m_notice;
    QString m_origin;
    int m_blocked = 0;
    QString m_source; // the script that styles (or unstyles) the document asked for last
    int m_serial = 0;
    // Blocked addresses not yet given to the page, sent in batches.
    QStringList m_toCollapse;
    int m_collapseSent = 0;
    QTimer m_collapseTimer;
};
