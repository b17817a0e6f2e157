#include "platform/desktop/webengine/webenginebrowsercontrol.h"

#include "platform/api/failure.h"
#include "platform/api/platformerror.h"
#include "platform/api/startupphase.h"
#include "platform/desktop/profiledata/webprofile.h"
#include "platform/desktop/reader/readerview.h"
#include "platform/desktop/webengine/downloadtracker.h"
#include "platform/desktop/webengine/fullscreenwindow.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/pageaddress.h"
#include "platform/desktop/webengine/pagetroublenotice.h"
#include "platform/desktop/webengine/singlewindowview.h"
#include "platform/desktop/webengine/webenginedocument.h"
#include "platform/desktop/webengine/webenginefind.h"
#include "platform/desktop/webengine/webenginepagetools.h"
#include "platform/desktop/webengine/webengineprinting.h"
#include "platform/desktop/webengine/webenginesignins.h"
#include "platform/desktop/webengine/webenginezoom.h"

#include <QApplication>
#include <QAuthenticator>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineNavigationRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>

namespace {

// The profile's downloads go on while any control, or any download, still needs them.
std::shared_ptr<DownloadTracker> sharedDownloads(const std::shared_ptr<QWebEngineProfile> &profile)
{
    static std::weak_ptr<DownloadTracker> shared;
    if (auto downloads = shared.lock())
        return downloads;
    auto downloads = std::make_shared<DownloadTracker>(profile);
    shared = downloads;
    return downloads;
}

} // namespace

WebEngineBrowserControl::WebEngineBrowserControl(QWidget *parent,
                                                 std::shared_ptr<UserQuestions> questions,
                                                 std::shared_ptr<DownloadTracker> downloads)
    : WebBrowserControl(parent)
    , m_profile(WebProfile::shared())
    , m_downloads(downloads ? std::move(downloads) : sharedDownloads(m_profile))
    , m_questions(std::move(questions))
    , m_view(new SingleWindowView(parent))
    , m_page(new GuardedPage(m_profile.get(), m_view))
{
    m_view->setPage(m_page);
    m_viewWidget = m_view;
    markStartupPhase("web profile and page");

    // The zoom first: a page is shown at its zoom before its navigation is reported.
    m_zoom = std::make_unique<WebEngineZoom>(m_view);
    m_find = std::make_unique<WebEngineFind>(m_page);
    PageWaiting &waiting = *this;
    m_document = std::make_unique<WebEngineDocument>(waiting, m_page);
    m_printing = std::make_unique<WebEnginePrinting>(waiting, m_page);
    m_tools = std::make_unique<WebEnginePageTools>(m_view, m_profile.get());
    m_signIns = std::make_unique<WebEngineSignIns>(m_page);
    m_reader = std::make_unique<ReaderView>(*this, *m_page);
    setParts({ m_document.get(), m_find.get(), m_zoom.get(), m_printing.get(), m_downloads.get(),
               m_tools.get(), m_signIns.get(), m_reader.get() });

    followLoads();
    watchAnswering();
    askAsThePageNeeds();
    followStatus();
    keepKeyboard();
    setUpPage();
}

void WebEngineBrowserControl::followLoads()
{
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_busy = true;
        m_loadEndedWithPage = false;
        // The link pointed at belongs to the page that is going, and goes from the line now:
        // a page that fails to load may never say that the pointer has left it.
        m_hoveredLink.clear();
        updateStatusText();
        // A probe sent to the page that is going may never be answered.
        stopWaitingForAnswers();
        setNotice(QString());
    });
    connect(
        m_page, &QWebEnginePage::newWindowRequested, this,
        [this](const QWebEngineNewWindowRequest &request) { openInPlace(request.requestedUrl()); });
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        if (url.isEmpty())
            return;
        stopWaitingForAnswers();
        m_waitingNavigation = nullptr;
        m_navigationReported = true;
        // A new page: the link pointed at on the old one, and downloads that had ended by
        // then, are no news any more (the engine does not always say the pointer has left a
        // link whose page has gone).
        m_hoveredLink.clear();
        m_userOnPage = false;
        m_downloads->endedSeen();
        Q_EMIT NavigateComplete2(addressText(url));
        // The window clears its line for the new page; what still holds is said again.
        m_statusText.clear();
        updateStatusText();
    });
    // A title the engine makes from the address is the address, as LocationName gives it.
    connect(m_page, &QWebEnginePage::titleChanged, this,
            [this] { Q_EMIT TitleChange(LocationName()); });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        m_busy = false;
        m_waitingNavigation = nullptr;
        m_openInPlace.clear();
        // The load that ended with the page's process has been reported already.
        if (std::exchange(m_loadEndedWithPage, false) && !ok)
            return;
        if (ok && !m_navigationReported)
            Q_EMIT NavigateComplete2(addressText(m_page->url()));
        m_navigationReported = false;
        if (std::exchange(m_focusAsked, false) && QApplication::focusWidget() == m_focusWhenLoaded)
            m_view->setFocus();
        Q_EMIT DownloadComplete();
    });
}

void WebEngineBrowserControl::askAsThePageNeeds()
{
    connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *download) {
                if (download->page() != m_page || m_downloads->isTracked(download))
                    return;
                // The page saved by SavePage: its place was chosen already. The engine's
                // own "Save page" asks like any download.
                if (download->isSavePageDownload() && m_document->takeSavingPage())
                    m_downloads->track(download);
                else
                    askWhereToSave(download);
            });
    connect(m_page, &QWebEnginePage::certificateError, this,
            [this](const QWebEngineCertificateError &error) {
                QWebEngineCertificateError waiting = error;
                waiting.defer();
                m_certificateErrors.append(waiting);
                // Asked from the event loop: the engine is in the middle of the load here.
                QTimer::singleShot(0, this, &WebEngineBrowserControl::askAboutCertificates);
            });
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                askForPermission(origin, feature);
            });
    connect(m_page, &GuardedPage::questionsRefused, this, [this] {
        setNotice(tr("This page asks too often: its dialogs and prints are not shown for now."));
    });
    connect(m_page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) {
                askForCredentials(url.host(), authenticator);
            });
    connect(m_page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &, QAuthenticator *authenticator, const QString &proxyHost) {
                askForCredentials(proxyHost, authenticator);
            });
}

void WebEngineBrowserControl::followStatus()
{
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString &url) {
        if (!url.isEmpty() && !m_userOnPage)
            return;
        m_hoveredLink = url;
        updateStatusText();
    });
    connect(m_view, &SingleWindowView::userInput, this, [this] { m_userOnPage = true; });
    // The engine does not always say that the pointer has left a link when it leaves the page.
    m_view->installEventFilter(this);
    connect(m_downloads.get(), &DownloadTracker::statusTextChanged, this,
            &WebEngineBrowserControl::updateStatusText);
}

void WebEngineBrowserControl::keepKeyboard()
{
    // The engine replaces the page's surface when the page moves to another process, and the
    // keyboard goes nowhere with the old one; it must follow the page, or the window's keys
    // go dead until the user clicks into the page.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (!now && old && !m_view.isNull() && m_viewWidget->isAncestorOf(old))
            QTimer::singleShot(0, this, &WebEngineBrowserControl::takeBackKeyboard);
    });
}

void WebEngineBrowserControl::setUpPage()
{
    m_page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    // A page opens a window only on the user's click, as browsers block popups; the window
    // opens in this page.
    m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // PDF documents show in the view, in the engine's own viewer.
    m_page->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    m_page->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    // Kept from other files, a local page's link to another one is refused by the engine; the
    // control follows it itself, as a new page that the linking page cannot read.
    connect(m_page, &QWebEnginePage::navigationRequested, this,
            [this](QWebEngineNavigationRequest &request) {
                const auto type = request.navigationType();
                // A link within the page itself stays the engine's.
                const QUrl target = request.url().adjusted(QUrl::RemoveFragment);
                if (!request.isMainFrame() || !target.isLocalFile() || !m_page->url().isLocalFile()
                    || target == m_page->url().adjusted(QUrl::RemoveFragment)
                    || type == QWebEngineNavigationRequest::TypedNavigation
                    || type == QWebEngineNavigationRequest::BackForwardNavigation
                    || type == QWebEngineNavigationRequest::ReloadNavigation)
                    return;
                request.reject();
                QTimer::singleShot(0, this, [this, url = request.url()] {
                    startNavigation([this, url] { m_page->load(url); });
                });
            });
    connect(m_page, &QWebEnginePage::fullScreenRequested, this,
            [this](QWebEngineFullScreenRequest request) {
                request.accept();
                if (request.toggleOn() && !m_fullScreen)
                    m_fullScreen = std::make_unique<FullScreenWindow>(m_view);
                else if (!request.toggleOn())
                    m_fullScreen.reset();
            });
    // The page's surface is made now, while the window that holds the view may not be shown
    // yet: made into a shown window, it would have that window's native window replaced.
    m_page->runJavaScript(QString(), QWebEngineScript::ApplicationWorld);
}

WebEngineBrowserControl::~WebEngineBrowserControl()
{
    // The page must go before the profile it uses, and must not report to a control, or a
    // part of it, that is going away. A page on the full screen goes back to its view first,
    // and the page's tools go before the page.
    m_fullScreen.reset();
    m_tools.reset();
    m_printing.reset();
    m_find.reset();
    m_zoom.reset();
    if (m_view) {
        m_page->disconnect(this);
        delete m_view;
    }
}

QString WebEngineBrowserControl::homePage()
{
    return QStringLiteral("qrc:/startpage/start.html");
}

QString WebEngineBrowserControl::searchPage()
{
    return QStringLiteral("https://duckduckgo.com/");
}

QWidget *WebEngineBrowserControl::widget()
{
    return m_view;
}

void WebEngineBrowserControl::Navigate(const QString &url)
{
    // Like a browser's address box, an address without a scheme is completed.
    const QUrl target = QUrl::fromUserInput(url);
    if (url.trimmed().isEmpty() || !target.isValid() || !engineTakesHost(target))
        throw PlatformError(ErrorCode::InvalidProcedureCall,
                            tr("\"%1\" is not a valid address.").arg(url));
    startUserNavigation([this, target] { m_page->load(target); });
}

void WebEngineBrowserControl::GoBack()
{
    if (!m_page->history()->canGoBack())
        throw PlatformError(ErrorCode::Unexpected, tr("There is no previous page to go back to."));
    startUserNavigation([this] { m_page->triggerAction(QWebEnginePage::Back); });
}

void WebEngineBrowserControl::GoForward()
{
    if (!m_page->history()->canGoForward())
        throw PlatformError(ErrorCode::Unexpected, tr("There is no next page to go forward to."));
    startUserNavigation([this] { m_page->triggerAction(QWebEnginePage::Forward); });
}

void WebEngineBrowserControl::GoHome()
{
    startUserNavigation([this] { m_page->load(QUrl(homePage())); });
}

void WebEngineBrowserControl::GoSearch()
{
    startUserNavigation([this] { m_page->load(QUrl(searchPage())); });
}

void WebEngineBrowserControl::Refresh()
{
    // A page whose process has ended is loaded anew: the engine's reload needs the process.
    const bool ended = !m_trouble->isHidden();
    const auto loadAnew = [this] { m_page->load(m_page->url()); };
    if (ended)
        startUserNavigation(loadAnew);
    else
        startUserNavigation(loadAnew, [this] { m_page->triggerAction(QWebEnginePage::Reload); });
}

void WebEngineBrowserControl::Stop()
{
    m_page->triggerAction(QWebEnginePage::Stop);
}

bool WebEngineBrowserControl::Busy() const
{
    return m_busy;
}

QString WebEngineBrowserControl::LocationName() const
{
    const QString title = m_page->title();
    return isMadeFromAddress(title, m_page->url()) ? addressText(m_page->url()) : title;
}

QString WebEngineBrowserControl::LocationURL() const
{
    return addressText(m_page->url());
}

bool WebEngineBrowserControl::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_view.isNull() && watched == m_viewWidget && event->type() == QEvent::Leave
        && !m_hoveredLink.isEmpty()) {
        m_hoveredLink.clear();
        updateStatusText();
    }
    return WebBrowserControl::eventFilter(watched, event);
}

void WebEngineBrowserControl::SetFocus()
{
    // Given while a page is on its way, the focus goes to a surface the engine is about to
    // replace, and the new one never says that the pointer has left a link: the focus goes
    // to the page once it is there, unless the user has moved it meanwhile.
    if (m_waitingNavigation || m_busy) {
        m_focusWhenLoaded = QApplication::focusWidget();
        m_focusAsked = true;
        return;
    }
    m_view->setFocus();
}

void WebEngineBrowserControl::takeBackKeyboard()
{
    // Only while nothing else took it, and not for a window the user has left.
    if (!m_view || QApplication::focusWidget() || !m_view->isVisible()
        || !m_view->window()->isActiveWindow())
        return;
    m_view->setFocus(Qt::OtherFocusReason);
}

void WebEngineBrowserControl::setNotice(const QString &notice)
{
    m_notice = notice;
    updateStatusText();
}

void WebEngineBrowserControl::updateStatusText()
{
    // The link under the pointer stands for a moment in front of the lasting notices.
    QString text = m_hoveredLink;
    if (text.isEmpty()) {
        QStringList notices;
        for (const QString &notice : { m_notice, m_downloads->statusText() }) {
            if (!notice.isEmpty())
                notices.append(notice);
        }
        text = notices.join(QStringLiteral("; "));
    }
    if (text == m_statusText)
        return;
    m_statusText = text;
    Q_EMIT StatusTextChange(text);
}
