#include "pageblocking.h"

#include "blockedpagenotice.h"
#include "desktopcontentblocking.h"
#include "webbrowsercontrol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

const QString ScriptName = QStringLiteral("kestrav-content-blocking");
// Our own world: the page's scripts never see ours, nor we theirs.
constexpr quint32 BlockingWorld = QWebEngineScript::UserWorld + 9;

// The style goes in as soon as the document has a root element, before anything is drawn.
// Each script the page is given has a serial number, so that a document styled by an older
// one is styled anew.
const char *const InjectStyle = R"((function (css, serial) {
  if (window.kestravBlockingStyled === serial) return;
  window.kestravBlockingStyled = serial;
  if (window.kestravBlockingStyle) { window.kestravBlockingStyle.textContent = css; return; }
  const style = window.kestravBlockingStyle = document.createElement('style');
  style.textContent = css;
  const place = () => (document.head || document.documentElement).appendChild(style);
  if (document.documentElement) { place(); return; }
  new MutationObserver((changes, observer) => {
    if (document.documentElement) { observer.disconnect(); place(); }
  }).observe(document, { childList: true });
})(%1[0], %2);)";
const char *const RemoveStyle = R"((function (serial) {
  window.kestravBlockingStyled = serial;
  if (window.kestravBlockingStyle) window.kestravBlockingStyle.remove();
  window.kestravBlockingStyle = null;
})(%1);)";

} // namespace

PageBlocking::PageBlocking(DesktopContentBlocking &service, WebBrowserControl *control,
                           QWebEnginePage *page, QWidget *view)
    : QWebEngineUrlRequestInterceptor(control)
    , m_service(&service)
    , m_control(control)
    , m_page(page)
    , m_notice(new BlockedPageNotice(view))
{
    page->setUrlRequestInterceptor(this);
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
            m_notice->hide();
        } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && m_service) {
            const QString rule = m_service->blockedDocumentRule(info.url());
            if (!rule.isEmpty())
                m_notice->showFor(info.url(), rule);
        }
    });
    // A page that moves to another site may be given a new process before its request is
    // made, and such a process runs the script set before: the document is styled anew as it
    // commits, when it was styled by another script than the one for it.
    connect(page, &QWebEnginePage::urlChanged, this, [this] {
        if (!m_page)
            return;
        m_page->runJavaScript(QStringLiteral("window.kestravBlockingStyled === %1").arg(m_serial),
                              BlockingWorld,
                              [this, page = m_page, source = m_source](const QVariant &styled) {
                                  if (page && !styled.toBool())
                                      page->runJavaScript(source, BlockingWorld);
                              });
    });
    connect(m_notice, &BlockedPageNotice::openAnywayRequested, this, [this](const QUrl &address) {
        if (!m_service || !m_page)
            return;
        m_service->allowOnce(address);
        m_page->load(address);
    });
}

PageBlocking::~PageBlocking()
{
    if (m_page)
        m_page->setUrlRequestInterceptor(nullptr);
}

QString PageBlocking::originOf(const QUrl &url)
{
    return url
        .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                  | QUrl::RemoveUserInfo)
        .toString();
}

void PageBlocking::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        return;
    m_origin = originOf(info.requestUrl());
    const bool changed = m_blocked != 0;
    m_blocked = 0;
    setStyleFor(info.requestUrl());
    if (changed && m_service)
        Q_EMIT m_service->blockedCountChanged(m_control);
}

void PageBlocking::countBlocked()
{
    ++m_blocked;
    if (m_service)
        Q_EMIT m_service->blockedCountChanged(m_control);
}

void PageBlocking::setStyleFor(const QUrl &url)
{
    if (!m_page || !m_service)
        return;
    QWebEngineScriptCollection &scripts = m_page->scripts();
    for (const QWebEngineScript &old : scripts.find(ScriptName))
        scripts.remove(old);
    ++m_serial;
    const QString sheet = m_service->styleSheetFor(url);
    if (sheet.isEmpty()) {
        m_source = QString::fromLatin1(RemoveStyle).arg(m_serial);
        return;
    }
    QWebEngineScript script;
    script.setName(ScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(BlockingWorld);
    script.setRunsOnSubFrames(false);
    const QByteArray css = QJsonDocument(QJsonArray { sheet }).toJson(QJsonDocument::Compact);
    m_source
        = QString::fromLatin1(InjectStyle).arg(QString::fromUtf8(css), QString::number(m_serial));
    script.setSourceCode(m_source);
    scripts.insert(script);
}
