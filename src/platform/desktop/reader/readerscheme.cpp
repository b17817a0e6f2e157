#include "platform/desktop/reader/readerscheme.h"

#include "reader/readerrules.h"

#include <QBuffer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void ReaderScheme::registerAtStart()
{
    QWebEngineUrlScheme scheme(Reader::Scheme);
    // A path and no host: every article is of an opaque origin. As a local scheme, no web page
    // may open or embed it, while its own links and pictures reach the web.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
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
    const auto found = m_articles.constFind(Reader::pageAddress(job->requestUrl()));
    if (job->requestMethod() != "GET" || found == m_articles.constEnd()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto *body = new QBuffer(job);
    body->setData(*found);
    body->open(QIODevice::ReadOnly);
    job->reply("text/html; charset=utf-8", body);
}
