#include "platform/desktop/blocking/pageblocking.h"

#include "platform/api/platformerror.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/blocking/blockedpagenotice.h"

#include <memory>
#include <QEventLoop>
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

// Elements whose address was blocked are collapsed, now and as the page adds them or
// changes their address later. The page keeps the addresses, at most a few thousand.
const char *const Collapse = R"((function (addresses) {
  let state = window.kestravCollapse;
  const srcOf = element => {
    switch (element.localName) {
    case 'img': return [element.currentSrc, element.src];
    case 'iframe': case 'frame': case 'embed': return [element.src];
    case 'object': return [element.data];
    case 'video': case 'audio':
      return [element.currentSrc, element.src]
        .concat(Array.from(element.querySelectorAll('source'), source => source.src));
    }
    return [];
  };
  const kinds = 'img,iframe,frame,embed,object,video,audio';
  const check = element => {
    if (srcOf(element).some(address => address && state.blocked.has(address.split('#')[0])))
      element.style.setProperty('display', 'none', 'important');
  };
  const checkUnder = root => {
    if (root.nodeType !== Node.ELEMENT_NODE) return;
    if (root.matches(kinds)) check(root);
    for (const element of root.querySelectorAll(kinds)) check(element);
  };
  if (!state) {
    state = window.kestravCollapse = { blocked: new Set() };
    new MutationObserver(changes => {
      for (const change of changes) {
        if (change.type === 'attributes') checkUnder(change.target);
        else for (const node of change.addedNodes) checkUnder(node);
      }
    }).observe(document, { childList: true, subtree: true, attributes: true,
                           attributeFilter: ['src', 'srcset', 'data'] });
  }
  for (const address of addresses)
    if (state.blocked.size < 5000) state.blocked.add(address);
  if (document.documentElement) checkUnder(document.documentElement);
})(%1);)";

// A rule added by the user, applied to the document shown without waiting for the next load.
const char *const HideNow = R"((function (selector) {
  const style = document.createElement('style');
  style.textContent = selector + ' { display: none !important; }';
  (document.head || document.documentElement).appendChild(style);
})(%1[0]);)";

const char *const AcceptsSelector = R"((function (selector) {
  try { document.querySelector(selector); return true; } catch (e) { return false; }
})(%1[0]))";

// A page that blocks thousands of requests is given them in a few batches, not one by one.
constexpr int CollapseBatchMs = 50;
constexpr int MostCollapsedPerPage = 5000;

QString jsonArgument(const QStringList &values)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact));
}

} // namespace

PageBlocking::PageBlocking(PageRules &rules, WebBrowserControl *control, QWebEnginePage *page,
                           QWidget *view)
    : QWebEngineUrlRequestInterceptor(control)
    , m_rules(&rules)
    , m_control(control)
    , m_page(page)
    , m_notice(new BlockedPageNotice(view))
{
    page->setUrlRequestInterceptor(this);
    m_collapseTimer.setSingleShot(true);
    m_collapseTimer.setInterval(CollapseBatchMs);
    connect(&m_collapseTimer, &QTimer::timeout, this, &PageBlocking::collapsePending);
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
            m_notice->hide();
        } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && m_rules) {
            const QString rule = m_rules->blockedDocumentRule(info.url());
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
        if (!m_rules || !m_page)
            return;
        m_rules->allowOnce(address);
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
    m_toCollapse.clear();
    m_collapseSent = 0;
    m_collapseTimer.stop();
    setStyleFor(info.requestUrl());
    if (changed && m_rules)
        m_rules->pageCountChanged(m_control);
}

void PageBlocking::countBlocked(const QString &elementAddress)
{
    ++m_blocked;
    if (!elementAddress.isEmpty() && m_collapseSent + m_toCollapse.size() < MostCollapsedPerPage) {
        m_toCollapse.append(elementAddress);
        if (!m_collapseTimer.isActive())
            m_collapseTimer.start();
    }
    if (m_rules)
        m_rules->pageCountChanged(m_control);
}

void PageBlocking::collapsePending()
{
    if (!m_page || m_toCollapse.isEmpty())
        return;
    m_collapseSent += int(m_toCollapse.size());
    m_page->runJavaScript(QString::fromLatin1(Collapse).arg(jsonArgument(m_toCollapse)),
                          BlockingWorld);
    m_toCollapse.clear();
}

QString PageBlocking::host() const
{
    return m_page ? m_page->url().host() : QString();
}

bool PageBlocking::acceptsSelector(const QString &selector)
{
    if (!m_page)
        throw PlatformError(ErrorCode::ObjectNotSet, tr("The page is gone."));
    // The answer may come after the wait has given up on it.
    struct Wait
    {
        QEventLoop loop;
        QVariant answer;
        bool waiting = true;
    };
    const auto wait = std::make_shared<Wait>();
    m_page->runJavaScript(QString::fromLatin1(AcceptsSelector).arg(jsonArgument({ selector })),
                          BlockingWorld, [wait](const QVariant &value) {
                              wait->answer = value;
                              if (wait->waiting)
                                  wait->loop.quit();
                          });
    QTimer::singleShot(5000, &wait->loop, &QEventLoop::quit);
    wait->loop.exec(QEventLoop::ExcludeUserInputEvents);
    wait->waiting = false;
    if (!wait->answer.isValid())
        throw PlatformError(ErrorCode::Unexpected, tr("The page did not answer."));
    return wait->answer.toBool();
}

void PageBlocking::hideNow(const QString &selector)
{
    if (m_page)
        m_page->runJavaScript(QString::fromLatin1(HideNow).arg(jsonArgument({ selector })),
                              BlockingWorld);
}

void PageBlocking::setStyleFor(const QUrl &url)
{
    if (!m_page || !m_rules)
        return;
    QWebEngineScriptCollection &scripts = m_page->scripts();
    for (const QWebEngineScript &old : scripts.find(ScriptName))
        scripts.remove(old);
    ++m_serial;
    const QString sheet = m_rules->styleSheetFor(url);
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
