#pragma once

#include "platform/api/userquestions.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/webengine/hangwatch.h"

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
class PageTroubleNotice;
class QAuthenticator;
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
    // The view becomes a child of parent; the control itself is owned by parent too. Without
    // questions, nothing the control would have to ask about is allowed or given.
    explicit WebEngineBrowserControl(QWidget *parent = nullptr,
                                     std::shared_ptr<UserQuestions> questions = {});
    ~WebEngineBrowserControl() override;

    static QString homePage();
    static QString searchPage();

    QWidget *widget() override;

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

    QString DocumentBodyInnerHTML() override;
    QStringList DocumentLinkHrefs() override;

    void ExecWB(int command, int option, const QString &name) override;
    void SavePage(const QString &path, bool singleFile) override;

    void SetFocus() override;

    int DownloadsInProgress() const override;
    void CancelDownloads() override;
    Downloads &downloads() override;

    void FindText(const QString &text, bool matchCase, bool backward) override;
    qreal ZoomFactor() const override;
    void SetZoomFactor(qreal factor) override;
    void SetZoomForAddress(std::function<qreal(const QString &url)> zoomFor) override;
    void PrintPage(QPrinter &printer) override;
    void SetPrintPreviewOpen(bool open) override;
    void ShowInspector() override;
    void SetContextMenuActions(const QList<QAction *> &actions) override;
    QString SelectorAtMenuPoint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Callback = std::function<void(const QVariant &)>;
    // Runs an asynchronous request of the engine and waits, in a bounded local event loop,
    // for the answer it hands to the callback.
    QVariant waitForAnswer(const std::function<void(const Callback &)> &request,
                           int timeoutMs = 10'000);
    QVariant evaluate(const QString &script);
    void requireDocument() const;

    void askWhereToSave(QWebEngineDownloadRequest *download);
    void askForCredentials(const QString &site, QAuthenticator *authenticator);
    void askAboutCertificates();
    void askForPermission(const QUrl &origin, int feature);
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
    // The page has moved on or gone: nothing asked of it is waited for any more.
    void stopWaitingForAnswers();
    // What the page wanted in a new window comes in this page, as a followed link would.
    void openInPlace(const QUrl &url);
    // Takes the zoom that the address's site keeps, and shows the page at it.
    void zoomFor(const QUrl &url);
    // Shows the page at the zoom chosen for it, where the engine has let it go.
    void keepZoom();
    void updateStatusText();
    // The page had the keyboard and its surface has gone: the page's new surface takes it.
    void takeBackKeyboard();

    std::shared_ptr<QWebEngineProfile> m_profile;
    std::shared_ptr<DownloadTracker> m_downloads;
    std::shared_ptr<UserQuestions> m_questions;
    QPointer<QWebEngineView> m_view;
    QWebEnginePage *m_page = nullptr;
    bool m_busy = false;
    // Whether the current load has already reported its navigation through a URL change;
    // a load that keeps the URL (same address again, reload) reports it when it ends.
    bool m_navigationReported = false;
    bool m_loadEndedWithPage = false; // the page's process ended during a load

    // Certificate errors wait here to be asked about one at a time.
    QList<QWebEngineCertificateError> m_certificateErrors;
    bool m_askingAboutCertificate = false;
    std::unique_ptr<FullScreenWindow> m_fullScreen;
    std::function<qreal(const QString &)> m_zoomFor;
    qreal m_zoom = 1.0;
    QPointer<QWebEngineView> m_inspector;
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
    // The search under way in the page.
    QString m_findText;
    bool m_findMatchCase = false;
    bool m_savingPage = false; // SavePage has chosen where the page's download goes
    int m_quietFindEnds = 0; // ends of searches that FindText ended to start anew
    // Why the page that was asked for is not shown; until the next navigation.
    QString m_notice;
    QString m_statusText;
    // How the downloads stood when the page shown started; not shown again until it changes.
    QString m_downloadsSeen;
};
