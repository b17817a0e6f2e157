// What the web control does when the page's process ends or stops answering, and how it
// starts navigations that a hung page may hold up.

#include "platform/api/failure.h"
#include "platform/api/openquestion.h"
#include "platform/desktop/webengine/guardedpage.h"
#include "platform/desktop/webengine/pagetroublenotice.h"
#include "platform/desktop/webengine/singlewindowview.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"
#include "platform/desktop/webengine/webenginesignins.h"

#include <csignal>
#include <QApplication>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <utility>

namespace {

// How often the control looks whether the page still answers.
constexpr int WatchIntervalMs = 2'000;

// The page may be waiting for the user's answer to a question, its own or the program's.
bool questionOpen()
{
    return OpenQuestion::isAsking() || QApplication::activeModalWidget();
}

} // namespace

QString WebEngineBrowserControl::siteOf(const QUrl &url)
{
    return url.host().isEmpty() ? url.toString() : url.host();
}

void WebEngineBrowserControl::watchAnswering()
{
    m_trouble = new PageTroubleNotice(m_view);
    connect(m_trouble, &PageTroubleNotice::reloadRequested, this,
            [this] { Failure::skip([&] { Refresh(); }); });
    // The notice stays while the page has no process: until another document has one to
    // be shown by, the area would be blank.
    connect(m_page, &QWebEnginePage::renderProcessPidChanged, this, [this](qint64 process) {
        if (process > 0)
            m_trouble->hide();
    });
    connect(m_page, &QWebEnginePage::urlChanged, m_trouble, &QWidget::hide);
    connect(
        m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
            if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus || info.isErrorPage())
                m_trouble->hide();
        });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) { pageEnded(status); });
    // A page busy loading is not stuck while its load moves on.
    connect(m_page, &QWebEnginePage::loadProgress, this, [this] {
        if (m_busy)
            m_hangWatch.progressMade();
    });
    m_watch.setInterval(WatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &WebEngineBrowserControl::checkAnswering);
    m_watch.start();
}

void WebEngineBrowserControl::pageEnded(QWebEnginePage::RenderProcessTerminationStatus status)
{
    const bool stopped = std::exchange(m_stoppedHung, false);
    QString reason;
    switch (status) {
    case QWebEnginePage::NormalTerminationStatus:
        if (!stopped)
            return;
        break;
    case QWebEnginePage::AbnormalTerminationStatus:
        reason = tr("its process ended abnormally");
        break;
    case QWebEnginePage::CrashedTerminationStatus:
        reason = tr("its process crashed");
        break;
    case QWebEnginePage::KilledTerminationStatus:
        reason = tr("its process was ended (stopped, or short of memory)");
        break;
    }
    if (stopped)
        reason = tr("it was not responding, and you stopped it");
    stopWaitingForAnswers();
    if (auto follow = std::exchange(m_navigationAfterStop, nullptr)) {
        m_busy = false;
        m_navigationReported = false;
        startNavigation(follow);
        return;
    }
    m_trouble->showFor(reason, m_page->url().toString());
    setNotice(tr("The page stopped unexpectedly: %1; Refresh loads it again").arg(reason));
    // A load that was under way has ended with the page.
    if (m_busy) {
        m_busy = false;
        m_navigationReported = false;
        m_loadEndedWithPage = true;
        Q_EMIT DownloadComplete();
    }
}

void WebEngineBrowserControl::stopWaitingForAnswers()
{
    m_hangWatch.stopWaiting();
}

void WebEngineBrowserControl::startNavigation(const std::function<void()> &again,
                                              const std::function<void()> &now)
{
    m_waitingNavigation = again;
    (now ? now : again)();
}

void WebEngineBrowserControl::startUserNavigation(const std::function<void()> &again,
                                                  const std::function<void()> &now)
{
    // What the user typed into a page he leaves this way was not sent.
    m_signIns->userNavigates();
    startNavigation(again, now);
}

void WebEngineBrowserControl::openInPlace(const QUrl &url)
{
    // A window opened empty for the page to write into has nothing to show here, and a
    // second click on a link that is loading does not start it again.
    if (url.isEmpty() || url.matches(QUrl(QStringLiteral("about:blank")), QUrl::None)
        || url == m_openInPlace)
        return;
    // Loaded from the event loop, not inside the engine's request; of a burst of requests
    // only the last is loaded.
    m_openInPlace = url;
    QTimer::singleShot(0, this, [this, url] {
        if (url == m_openInPlace)
            startNavigation([this, url] { m_page->load(url); });
    });
}

void WebEngineBrowserControl::checkAnswering()
{
    // Time the program's loop was late, or a question was open, is not the page's.
    m_hangWatch.tick(WatchIntervalMs, questionOpen() || m_askingAboutHang);
    // Only a page whose process is alive can hang.
    if (m_page->renderProcessPid() <= 0 || !m_trouble->isHidden())
        return;
    if (m_hangWatch.isHung()) {
        askToStopHungPage();
        return;
    }
    if (!m_hangWatch.wantsProbe())
        return;
    // The cheapest round trip to the page's process: a script in our own world.
    m_hangWatch.probeSent();
    QPointer<WebEngineBrowserControl> control(this);
    m_page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                          [control](const QVariant &) {
                              if (control)
                                  control->m_hangWatch.probeAnswered();
                          });
}

void WebEngineBrowserControl::askToStopHungPage()
{
    // Once per hang: while the question is open, and after a No until the page has had its
    // time again; never while the page is being printed, nor on top of another question.
    if (m_askingAboutHang || !m_questions || m_hangWatch.isPaused() || questionOpen())
        return;
    m_askingAboutHang = true;
    bool stop = false;
    const qint64 process = m_page->renderProcessPid();
    Failure::skip([&] { stop = m_questions->stopUnresponsivePage(siteOf(m_page->url())); });
    m_askingAboutHang = false;
    // Only the process asked about: the page may have moved to another while the user read.
    if (stop && process > 0 && process == m_page->renderProcessPid()) {
        // The page the user asked for, while this one hung, comes once this one has gone.
        m_navigationAfterStop = std::exchange(m_waitingNavigation, nullptr);
        m_stoppedHung = true;
        ::kill(pid_t(process), SIGKILL);
        return;
    }
    m_hangWatch.waitAgain();
}
