#pragma once

#include <QString>
#include <QUrl>

namespace Reader {

// The scheme the article is served from: an origin of its own, shared with no page.
inline constexpr char Scheme[] = "kestrav-reader";

// The reader view of a page at this address, and back; pageAddress is empty for an address that
// is not the reader view's.
QUrl readerAddress(const QUrl &page);
QUrl pageAddress(const QUrl &reader);
bool isReaderAddress(const QUrl &url);
// Only pages of the web and local files have articles; the program's own pages do not.
bool mayHaveArticle(const QUrl &page);

// What a page may be for the reader view to read it: a hostile page of millions of elements or
// hundreds of megabytes of text is left alone before the article is looked for.
inline constexpr qsizetype MaxElements = 200'000;
inline constexpr qsizetype MaxTextCharacters = 8 * 1024 * 1024;
// Readability finds something in most pages; less text than this is no article (its own
// threshold for a candidate).
inline constexpr qsizetype MinArticleCharacters = 500;
// The longest the page's process may take to find the article; a later answer is dropped.
inline constexpr int TimeoutMs = 15'000;

enum class Outcome {
    Shown, // the article is shown
    NoArticle, // the page has none
    TooLarge, // past MaxElements or MaxTextCharacters
    TimedOut, // no answer within TimeoutMs
    Failed, // the page went away, or the script could not run
};

// The status line's text for an outcome; "" when the article is shown.
QString outcomeMessage(Outcome outcome);
// Said once for a page that is probably an article.
QString availableMessage();

} // namespace Reader
