#pragma once

#include "fakedownloads.h"
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
    QString DocumentBodyInnerHTML() override;
    QStringList DocumentLinkHrefs() override;
    void ExecWB(int command, int option, const QString &name) override;
    void SavePage(const QString &path, bool singleFile) override;
    void SetFocus() override;
    int DownloadsInProgress() const override { return downloadsInProgress; }
    void CancelDownloads() override;
    Downloads &downloads() override { return *downloadList; }
    void FindText(const QString &text, bool matchCase, bool backward) override;
    qreal ZoomFactor() const override { return zoom; }
    void SetZoomFactor(qreal factor) override;
    void SetZoomForAddress(std::function<qreal(const QString &)> zoomFor) override
    {
        zoomForAddress = std::move(zoomFor);
    }
    void PrintPage(QPrinter &printer) override;
    void SetPrintPreviewOpen(bool open) override;
    void ShowInspector() override;
    void SetContextMenuActions(const QList<QAction *> &actions) override { menuActions = actions; }
    QString SelectorAtMenuPoint() const override { return menuSelector; }

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
    int downloadsInProgress = 0;
    std::shared_ptr<FakeDownloads> downloadList = std::make_shared<FakeDownloads>();
    qreal zoom = 1.0;
    std::function<qreal(const QString &)> zoomForAddress;
    QList<QAction *> menuActions;
    QString menuSelector; // the element under the pointer as the page's menu opened

    static inline const QString homeUrl = QStringLiteral("about:home");
    static inline const QString searchUrl = QStringLiteral("about:search");

private:
    void go(const QString &url);

    QWidget *m_widget;
    QStringList m_back;
    QStringList m_forward;
};
