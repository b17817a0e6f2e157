#include "platform/desktop/reader/readerscheme.h"

#include "reader/readerrules.h"

#include <QBuffer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void ReaderScheme::registerAtStart()
{
    QWebEngineUrlScheme scheme(Reader::Scheme);
    // Every article is of an opaque origin of its own. Not a local scheme: the engine keeps
    // local pages from the web, and the article's pictures are on the web. Pages are kept from
    // opening it by the handler instead.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::NoAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

ReaderScheme &ReaderScheme::of(QWebEngineProfile &profile)
{
    const QByteArray name(Reader::Scheme);
    if (auto *installed = qobject_cast<ReaderScheme *>(
            const_cast<QWebEngineUrlSchemeHandler *>(profile.urlSchemeHandler(name))))
        return *installed;
    auto *handler = new ReaderScheme(&profile);
    profile.installUrlSchemeHandler(name, handler);
    return *handler;
}

void ReaderScheme::keep(const QUrl &page, const QByteArray &html)
{
    m_order.removeOne(page);
    m_order.append(page);
    m_articles.insert(page, html);
    while (m_order.size() > KeptArticles)
        m_articles.remove(m_order.takeFirst());
}

void ReaderScheme::requestStarted(QWebEngineUrlRequestJob *job)
{
    // Only the program opens an article (its initiator is then empty), never a page's link,
    // frame or script.
    const auto found = m_articles.constFind(Reader::pageAddress(job->requestUrl()));
    if (!job->initiator().isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    if (job->requestMethod() != "GET" || found == m_articles.constEnd()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto *body = new QBuffer(job);
    body->setData(*found);
    body->open(QIODevice::ReadOnly);
    job->reply("text/html; charset=utf-8", body);
}
