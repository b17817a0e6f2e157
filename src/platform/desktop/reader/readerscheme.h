#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

// Serves the reader view's articles from their own scheme: an origin no page shares, from which
// no page can load them. Articles are kept in memory, the most recent few, by page address.
class ReaderScheme final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    // Before the engine starts (with the other switches of the start); the scheme is unknown to
    // the engine otherwise.
    static void registerAtStart();
    // The handler of the profile, installed on first use.
    static ReaderScheme &of(QWebEngineProfile &profile);

    // Keeps the article page for the page's address, replacing what was kept for it.
    void keep(const QUrl &page, const QByteArray &html);
    bool has(const QUrl &page) const { return m_articles.contains(page); }

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    static constexpr qsizetype KeptArticles = 16;
    QHash<QUrl, QByteArray> m_articles;
    QList<QUrl> m_order; // oldest first
};
