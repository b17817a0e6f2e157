#pragma once

#include "platform/api/userquestions.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/webengine/hangwatch.h"
#include "platform/desktop/webengine/pagewaiting.h"

#include <functional>
#include <memory>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>

class DownloadTracker;
class FullScreenWindow;
class GuardedPage;
class PageTroubleNotice;
class ReaderView;
class SingleWindowView;
class WebEngineDocument;
class WebEngineFind;
class WebEngineSignIns;
class WebEnginePageTools;
class WebEnginePrinting;
class WebEngineZoom;
class QAuthenticator;
class QVariant;
class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

// The web-browser control on Qt WebEngine. All controls of the program share one persistent
// per-user profile (cookies, cache, local storage).
class WebEngineBrowserControl final : public WebBrowserControl, private PageWaiting
{
    Q_OBJECT

public:
    // The view becomes a child of parent; the control itself is owned by parent too. Without
    // questions, nothing the control would have to ask about is allowed or given.
    // downloads: the run's downloads, which outlive every window; without them, the controls
    // share theirs while any of them, or a download, lives.
    explicit WebEngineBrowserControl(QWidget *parent = nullptr,
                                     std::shared_ptr<UserQuestions> questions = {},
                                     std::shared_ptr<DownloadTracker> downloads = {});
    ~WebEngineBrowserControl() override;

    static QString homePage();
    static QString searchPage();

    QWidget *widget() override;
    // The profile the control's page is made on, shared by every control of the process.
    std::shared_ptr<QWebEngineProfile> profile() const { return m_profile; }

    void Navigate(const QString &url) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    QString SearchPage() const override { return searchPage(); }
    void Refresh() override;
    void Stop() override;

    bool Busy() const override;
    QString LocationName() const override;
    QString LocationURL() const override;

    void SetFocus() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The pieces of setting up: what each listens to of the page, the profile and the program.
    void followLoads();
    void askAsThePageNeeds();
    void followStatus();
    void keepKeyboard();
    void setUpPage();

    // What the parts that read, save and print the page wait for.
    QVariant waitForAnswer(const std::function<void(const Callback &)> &request,
                           int timeoutMs) override;
    QVariant evaluate(const QString &script) override;
    void requireDocument() const override;
    void holdHangWatch(bool held) override;

    void askWhereToSave(QWebEngineDownloadRequest *download);
    void askForCredentials(const QString &site, QAuthenticator *authenticator);
    void askAboutCertificates();
    void askForPermission(const QUrl &origin, int feature);
    // A location the user allows is given once the desktop knows one.
    void grantLocationIfKnown(const QUrl &origin);
    void refuseUnknownLocation(const QUrl &origin);
    static constexpr int LocationWaitMs = 10'000;
    // What a site is called in questions: its host, or the whole address where it has none.
    static QString siteOf(const QUrl &url);
    void setNotice(const QString &notice);
    // The page's process has ended: unless it ended normally, our notice replaces the page.
    void pageEnded(QWebEnginePage::RenderProcessTerminationStatus status);
    // Sets up the notice over a page that has ended, and the watch for one that has stopped
    // answering.
    void watchAnswering();
    // Watches for a page that has stopped answering, and asks whether to stop it.
    void checkAnswering();
    void askToStopHungPage();
    // Starts a navigation; again starts it anew when the page, hung, has been stopped before
    // the navigation could start (now, when given, is the first start).
    void startNavigation(const std::function<void()> &again,
                         const std::function<void()> &now = nullptr);
    // A navigation the user asked for from the window, not the page.
    void startUserNavigation(const std::function<void()> &again,
                             const std::function<void()> &now = nullptr);
    // The page has moved on or gone: nothing asked of it is waited for any more.
    void stopWaitingForAnswers();
    // What the page wanted in a new window comes in this page, as a followed link would.
    void openInPlace(const QUrl &url);
    void updateStatusText();
    // The page had the keyboard and its surface has gone: the page's new surface takes it.
    void takeBackKeyboard();

    std::shared_ptr<QWebEngineProfile> m_profile;
    std::shared_ptr<DownloadTracker> m_downloads;
    // The page is to have the focus once its load ends, if it is still where it was then.
    bool m_focusAsked = false;
    QPointer<QWidget> m_focusWhenLoaded;
    std::shared_ptr<UserQuestions> m_questions;
    QPointer<SingleWindowView> m_view;
    // The same view as a widget, for what the control compares while the view is being
    // destroyed (a child removed, the focus leaving it), when it is no view any more. Valid
    // while m_view is not null.
    QWidget *m_viewWidget = nullptr;
    GuardedPage *m_page = nullptr;
    std::unique_ptr<WebEngineDocument> m_document;
    std::unique_ptr<WebEngineFind> m_find;
    std::unique_ptr<WebEngineZoom> m_zoom;
    std::unique_ptr<WebEnginePrinting> m_printing;
    std::unique_ptr<WebEnginePageTools> m_tools;
    std::unique_ptr<WebEngineSignIns> m_signIns;
    std::unique_ptr<ReaderView> m_reader;
    bool m_busy = false;
    // Whether the current load has already reported its navigation through a URL change;
    // a load that keeps the URL (same address again, reload) reports it when it ends.
    bool m_navigationReported = false;
    bool m_loadEndedWithPage = false; // the page's process ended during a load

    // Certificate errors wait here to be asked about one at a time.
    QList<QWebEngineCertificateError> m_certificateErrors;
    bool m_askingAboutCertificate = false;
    std::unique_ptr<FullScreenWindow> m_fullScreen;
    PageTroubleNotice *m_trouble = nullptr;
    QTimer m_watch;
    HangWatch m_hangWatch;
    // The navigation asked for that has not committed yet, and the one to start once the
    // page that hung has gone.
    std::function<void()> m_waitingNavigation;
    std::function<void()> m_navigationAfterStop;
    bool m_askingAboutHang = false;
    bool m_stoppedHung = false; // the page's process was ended because the user said so
    QUrl m_openInPlace; // the last address asked for in a new window, until a load ends
    QString m_hoveredLink;
    // Whether the pointer has moved on the page, or a key was pressed in it, since it came.
    // Before that a pointed link is the last page's: its surface, replaced when the page moves
    // to another process, names the link at its corner as it goes.
    bool m_userOnPage = false;
    // Why the page that was asked for is not shown; until the next navigation.
    QString m_notice;
    QString m_statusText;
};
