#pragma once

#include "fakewebbrowserparts.h"
#include "platform/api/webbrowsercontrol.h"

#include <memory>
#include <QStringList>
#include <QWidget>

// A web-browser control that loads nothing: it keeps a history of addresses, records every
// call, and lets the test decide what it reports and when its events come.
class FakeWebBrowserControl final : public WebBrowserControl
{
    Q_OBJECT

public:
    explicit FakeWebBrowserControl(QWidget *parent);

    QWidget *widget() override { return m_widget; }

    void Navigate(const QString &url) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    QString SearchPage() const override { return searchUrl; }
    void Refresh() override;
    void Stop() override;
    bool Busy() const override { return busy; }
    QString LocationName() const override { return locationName; }
    QString LocationURL() const override;
    void SetFocus() override;

    // Completes the navigation in progress: location, title, events, not busy.
    void complete(const QString &url, const QString &title);

    QStringList calls; // "Navigate:<url>", "GoBack", ...
    bool busy = false;
    QString locationName;
    QString locationURL;
    QString bodyInnerHTML;
    bool hasDocument = false; // until a navigation completes
    QStringList links;
    int focusCount = 0;
    bool failNavigate = false;
    bool failExecWB = false;
    bool failLocationURL = false;

    FakeDocumentAccess fakeDocument { *this };
    FakePageFind fakeFind { calls };
    FakeZoomControl fakeZoom { calls };
    FakePagePrinting fakePrinting { *this };
    FakeDownloadControl fakeDownloads { calls };
    FakePageTools fakeTools { calls };
    FakePageSignIns fakeSignIns;
    FakePageReader fakeReader { calls };

    static inline const QString homeUrl = QStringLiteral("about:home");
    static inline const QString searchUrl = QStringLiteral("about:search");

private:
    void go(const QString &url);

    QWidget *m_widget;
    QStringList m_back;
    QStringList m_forward;
};
