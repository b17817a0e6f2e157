#pragma once

#include "webbrowsercontrol.h"

#include <functional>
#include <memory>
#include <QPointer>

class QAuthenticator;
class QUrl;
class QVariant;
class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

// The web-browser control on Qt WebEngine. All controls of the program share one persistent
// per-user profile (cookies, cache, local storage).
class WebEngineBrowserControl final : public WebBrowserControl
{
    Q_OBJECT

public:
    // The view becomes a child of parent; the control itself is owned by parent too.
    explicit WebEngineBrowserControl(QWidget *parent = nullptr);
    ~WebEngineBrowserControl() override;

    static QString homePage();
    static QString searchPage();

    QWidget *widget() override;

    void Navigate(const QString &url) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    void Refresh() override;
    void Stop() override;

    bool Busy() const override;
    QString LocationName() const override;
    QString LocationURL() const override;

    QString DocumentBodyInnerHTML() override;
    QStringList DocumentLinkHrefs() override;

    void ExecWB(int command, int option, const QString &name) override;

    void SetFocus() override;

private:
    using Callback = std::function<void(const QVariant &)>;
    // Runs an asynchronous request of the engine and waits, in a bounded local event loop,
    // for the answer it hands to the callback.
    QVariant waitForAnswer(const std::function<void(const Callback &)> &request);
    QVariant evaluate(const QString &script);
    void requireDocument() const;

    void askWhereToSave(QWebEngineDownloadRequest *download);
    void askForCredentials(const QString &site, QAuthenticator *authenticator);

    std::shared_ptr<QWebEngineProfile> m_profile;
    QPointer<QWebEngineView> m_view;
    QWebEnginePage *m_page = nullptr;
    bool m_busy = false;
    // Whether the current load has already reported its navigation through a URL change;
    // a load that keeps the URL (same address again, reload) reports it when it ends.
    bool m_navigationReported = false;
};
