#pragma once

#include <QObject>
#include <QString>

class WebBrowserControl;

// Blocking of ads and trackers by filter lists, as the window asks for it: how much was
// blocked on a page, whether blocking is on, the sites the user lets show everything, and the
// update of the lists. Events arrive on the user-interface thread.
class ContentBlocking : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ContentBlocking() override = default;

    // The requests blocked for the page that the control shows, since it was navigated to.
    virtual int blockedCount(const WebBrowserControl *control) const = 0;

    // Whether blocking is on; it is kept across runs. setEnabled fails with PlatformError
    // when the choice cannot be kept.
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    // Whether the user lets the site of the address show everything; kept across runs.
    // setAllowedOn fails with PlatformError for an address without a site, or when the choice
    // cannot be kept.
    virtual bool isAllowedOn(const QString &url) const = 0;
    virtual void setAllowedOn(const QString &url, bool allowed) = 0;

    // Fetches each list that the user has named by address, keeps the ones that came, and
    // applies the lists anew; returns at once, and updateFinished tells how it went.
    virtual void updateLists() = 0;

    // Hides the elements that selector names on the site host from now on: on the control's
    // page at once, and on every later visit, by a rule kept in the user's own list. Fails
    // with PlatformError when the page refuses the selector or the list cannot be written.
    virtual void hideOnSite(const WebBrowserControl *control, const QString &host,
                            const QString &selector)
        = 0;

Q_SIGNALS:
    void blockedCountChanged(const WebBrowserControl *control);
    // One line for the status bar: the lists updated, or why one was not.
    void updateFinished(const QString &outcome);
};
