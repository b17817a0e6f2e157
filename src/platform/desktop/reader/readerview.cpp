#include "platform/desktop/reader/readerview.h"

#include "platform/api/failure.h"
#include "platform/api/webbrowsercontrol.h"
#include "platform/desktop/reader/readerscheme.h"
#include "reader/articlepage.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

namespace {

// Apart from the page's own scripts and from the program's other worlds.
constexpr quint32 ReaderWorld = QWebEngineScript::UserWorld + 11;

QString resourceText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The bounds, counted before anything heavier runs: elements, and characters of text. Defines
// tooLarge(), true past either.
QString boundsScript()
{
    return QStringLiteral(R"(
function tooLarge() {
  if (!document.documentElement) return false;
  if (document.getElementsByTagName('*').length > %1) return true;
  var walker = document.createTreeWalker(document.documentElement, NodeFilter.SHOW_TEXT);
  var characters = 0;
  while (walker.nextNode()) {
    characters += walker.currentNode.length;
    if (characters > %2) return true;
  }
  return false;
}
)")
        .arg(Reader::MaxElements)
        .arg(Reader::MaxTextCharacters);
}

// Loaded on first use, then kept: nothing of the library is read at start.
const QString &articleScript()
{
    static const QString script = resourceText(QStringLiteral(":/readability/Readability.js"))
        + boundsScript()
        + QStringLiteral(R"(
(function () {
  var at = { scrollX: window.scrollX, scrollY: window.scrollY };
  if (tooLarge()) return JSON.stringify({ status: 'large' });
  var root = document.documentElement;
  var article = new Readability(document.cloneNode(true), { maxElemsToParse: %1 }).parse();
  if (!article || !article.content) return JSON.stringify({ status: 'none' });
  return JSON.stringify({
    status: 'ok', title: article.title || document.title, byline: article.byline || '',
    siteName: article.siteName || '', content: article.content,
    text: article.textContent || '', lang: article.lang || (root && root.lang) || '',
    dir: article.dir || '', scrollX: at.scrollX, scrollY: at.scrollY });
})()
)")
              .arg(Reader::MaxElements);
    return script;
}

const QString &readerableScript()
{
    static const QString script
        = resourceText(QStringLiteral(":/readability/Readability-readerable.js")) + boundsScript()
        + QStringLiteral("!tooLarge() && isProbablyReaderable(document)");
    return script;
}

} // namespace

ReaderView::ReaderView(WebBrowserControl &control, QWebEnginePage &page, QObject *parent)
    : PageReader(parent)
    , m_control(control)
    , m_page(page)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(Reader::TimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        ++m_run;
        end(Reader::Outcome::TimedOut);
    });
    connect(&m_page, &QWebEnginePage::loadFinished, this, &ReaderView::loadFinished);
    // What was asked of a page that is left no longer answers.
    connect(&m_page, &QWebEnginePage::urlChanged, this, [this] {
        if (m_working) {
            ++m_run;
            end(Reader::Outcome::Failed);
        }
    });
}

QString ReaderView::libraryVersion()
{
    return resourceText(QStringLiteral(":/readability/version")).trimmed();
}

bool ReaderView::ReaderViewShown() const
{
    return Reader::isReaderAddress(m_page.url());
}

void ReaderView::ToggleReaderView()
{
    if (ReaderViewShown())
        LeaveReaderView();
    else
        show();
}

bool ReaderView::LeaveReaderView()
{
    if (!ReaderViewShown())
        return false;
    const QUrl page = Reader::pageAddress(m_page.url());
    QWebEngineHistory *history = m_page.history();
    // The page as it was: its entry in the history, where the engine keeps its state.
    if (history->canGoBack() && history->backItem().url() == page)
        history->back();
    else if (!page.isEmpty())
        m_control.Navigate(page.toString(QUrl::FullyEncoded));
    return true;
}

void ReaderView::show()
{
    if (m_working)
        return;
    const QUrl page = m_page.url();
    if (!Reader::mayHaveArticle(page)) {
        end(Reader::Outcome::NoArticle);
        return;
    }
    const quint64 run = ++m_run;
    m_working = true;
    m_timeout.start();
    m_page.runJavaScript(articleScript(), ReaderWorld, [this, run, page](const QVariant &answer) {
        articleArrived(run, page, answer);
    });
}

void ReaderView::articleArrived(quint64 run, const QUrl &page, const QVariant &answer)
{
    if (run != m_run)
        return;
    m_timeout.stop();
    const QJsonObject found = QJsonDocument::fromJson(answer.toString().toUtf8()).object();
    const QString status = found.value(QLatin1String("status")).toString();
    if (status == QLatin1String("large")) {
        end(Reader::Outcome::TooLarge);
        return;
    }
    if (status != QLatin1String("ok")) {
        end(status == QLatin1String("none") ? Reader::Outcome::NoArticle : Reader::Outcome::Failed);
        return;
    }
    Reader::Article article;
    article.title = found.value(QLatin1String("title")).toString();
    article.byline = found.value(QLatin1String("byline")).toString();
    article.siteName = found.value(QLatin1String("siteName")).toString();
    article.contentHtml = found.value(QLatin1String("content")).toString();
    article.text = found.value(QLatin1String("text")).toString();
    article.language = found.value(QLatin1String("lang")).toString();
    article.direction = found.value(QLatin1String("dir")).toString();
    article.pageUrl = page.toString(QUrl::FullyEncoded);
    if (article.text.trimmed().size() < Reader::MinArticleCharacters) {
        end(Reader::Outcome::NoArticle);
        return;
    }
    ReaderScheme::of(*m_page.profile()).keep(page, Reader::articleHtml(article));
    m_returnTo = page;
    m_restoreScroll = true;
    m_scroll = QPointF(found.value(QLatin1String("scrollX")).toDouble(),
                       found.value(QLatin1String("scrollY")).toDouble());
    m_working = false;
    if (!Failure::skip([&] { m_control.Navigate(Reader::readerAddress(page).toString()); })) {
        end(Reader::Outcome::Failed);
        return;
    }
    Q_EMIT finished(Reader::Outcome::Shown);
}

void ReaderView::end(Reader::Outcome outcome)
{
    m_working = false;
    m_timeout.stop();
    const QString text = Reader::outcomeMessage(outcome);
    if (!text.isEmpty())
        Q_EMIT ReaderMessage(text);
    Q_EMIT finished(outcome);
}

void ReaderView::loadFinished(bool ok)
{
    const QUrl page = m_page.url();
    if (!ok || ReaderViewShown())
        return;
    // The first page shown after the article is the one it was opened from (by the command, Esc
    // or Back), or another one, after which the place is forgotten.
    if (std::exchange(m_restoreScroll, false) && page == m_returnTo) {
        // The engine restores the scroll of a page it goes back to; a page built by its own
        // scripts may have lost it.
        m_page.runJavaScript(
            QStringLiteral("window.scrollTo(%1, %2)").arg(m_scroll.x()).arg(m_scroll.y()),
            ReaderWorld);
        return;
    }
    checkReaderable(page);
}

void ReaderView::checkReaderable(const QUrl &page)
{
    if (!Reader::mayHaveArticle(page))
        return;
    m_page.runJavaScript(readerableScript(), ReaderWorld, [this, page](const QVariant &answer) {
        if (m_page.url() != page)
            return;
        const bool readerable = answer.toBool();
        if (readerable)
            Q_EMIT ReaderMessage(Reader::availableMessage());
        Q_EMIT readerableChecked(page, readerable);
    });
}
