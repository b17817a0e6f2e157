#pragma once

#include "platform/api/documentaccess.h"
#include "platform/api/downloadcontrol.h"
#include "platform/api/pageevents.h"
#include "platform/api/pagefind.h"
#include "platform/api/pageprinting.h"
#include "platform/api/pagesignins.h"
#include "platform/api/pagetools.h"
#include "platform/api/zoomcontrol.h"

#include <QObject>
#include <QString>

class QWidget;

// The embeddable web-browser control (ctlWebBrowser): loads, renders and navigates pages.
// Operations fail with PlatformError; events arrive on the user-interface thread.
// What features add to browsing comes in parts of its own, which a feature takes alone.
class WebBrowserControl : public QObject
{
    Q_OBJECT

public:
    explicit WebBrowserControl(QObject *parent = nullptr)
        : QObject(parent)
        , m_events(new PageEvents(this))
    {
        connect(this, &WebBrowserControl::DownloadComplete, m_events,
                &PageEvents::DownloadComplete);
        connect(this, &WebBrowserControl::NavigateComplete2, m_events,
                &PageEvents::NavigateComplete2);
        connect(this, &WebBrowserControl::StatusTextChange, m_events,
                &PageEvents::StatusTextChange);
        connect(this, &WebBrowserControl::TitleChange, m_events, &PageEvents::TitleChange);
    }
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

    virtual void SetFocus() = 0;

    // The parts live as long as the control.
    DocumentAccess &document() const { return *m_parts.document; }
    PageFind &find() const { return *m_parts.find; }
    ZoomControl &zoom() const { return *m_parts.zoom; }
    PagePrinting &printing() const { return *m_parts.printing; }
    DownloadControl &downloadControl() const { return *m_parts.downloads; }
    PageTools &tools() const { return *m_parts.tools; }
    PageSignIns &signIns() const { return *m_parts.signIns; }
    // The page's events, each as the control's signal of that name says it.
    PageEvents &events() const { return *m_events; }

Q_SIGNALS:
    // Whenever a load ends, also when it is stopped or fails.
    void DownloadComplete();
    // When a top-level navigation has committed.
    void NavigateComplete2(const QString &url);
    // The one line the control has for the status bar, "" when it has none: the address of
    // the link under the pointer, else how the downloads stand and why a page was not shown.
    void StatusTextChange(const QString &text);
    // The page's title arrived or changed, after its navigation committed.
    void TitleChange(const QString &title);

protected:
    struct Parts
    {
        DocumentAccess *document = nullptr;
        PageFind *find = nullptr;
        ZoomControl *zoom = nullptr;
        PagePrinting *printing = nullptr;
        DownloadControl *downloads = nullptr;
        PageTools *tools = nullptr;
        PageSignIns *signIns = nullptr;
    };
    // Once, by the implementation's constructor, with parts it owns; none may be missing.
    void setParts(const Parts &parts)
    {
        Q_ASSERT(parts.document && parts.find && parts.zoom && parts.printing && parts.downloads
                 && parts.tools && parts.signIns);
        m_parts = parts;
    }

private:
    Parts m_parts;
    PageEvents *m_events;
};
