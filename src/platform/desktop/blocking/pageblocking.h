#pragma once

#include <QPointer>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

class BlockedPageNotice;
class DesktopContentBlocking;
class QWebEnginePage;
class WebBrowserControl;

// Blocking as one page sees it. As the page asks for a new document (each hop of a
// redirect included) the page's count starts again and the style sheet of the document's
// site is set to be injected as the document is created, in a script world of our own; a
// page that a rule blocks shows our notice instead.
class PageBlocking final : public QWebEngineUrlRequestInterceptor
{
public:
    PageBlocking(DesktopContentBlocking &service, WebBrowserControl *control, QWebEnginePage *page,
                 QWidget *view);
    ~PageBlocking() override;

    // The page's own interceptor: it sees the requests that the profile's let through.
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    const WebBrowserControl *control() const { return m_control; }
    // The origin of the document shown, which its requests name as their first party.
    const QString &origin() const { return m_origin; }
    int blocked() const { return m_blocked; }
    void countBlocked();

    static QString originOf(const QUrl &url);

private:
    void setStyleFor(const QUrl &url);

    QPointer<DesktopContentBlocking> m_service;
    WebBrowserControl *m_control;
    QPointer<QWebEnginePage> m_page;
    BlockedPageNotice *m_notice;
    QString m_origin;
    int m_blocked = 0;
    QString m_source; // the script that styles (or unstyles) the document asked for last
    int m_serial = 0;
};
