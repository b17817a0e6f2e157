#pragma once

#include <QByteArray>
#include <QString>

namespace Reader {

// What the reader view shows of a page: the fields Readability gives, and where it came from.
struct Article
{
    QString title;
    QString byline;
    QString siteName;
    QString contentHtml; // the article's markup, its addresses made absolute
    QString text; // the article's text alone, for its length
    QString pageUrl;
    QString language; // the page's lang attribute, "" when it has none
    QString direction; // "ltr", "rtl" or ""
};

// The average silent reading rate of adults reading non-fiction in English (Brysbaert, "How
// many words do we read per minute? A review and meta-analysis of reading rate", Journal of
// Memory and Language 109, 2019): 238 words a minute.
inline constexpr int WordsPerMinute = 238;

// Words of the text: runs between white space, and each ideograph or kana of the languages
// written without spaces (about as long to read as a word).
qsizetype wordCount(const QString &text);
// Whole minutes to read the text at WordsPerMinute, rounded to the nearest, at least 1 when
// there is any word.
int readingMinutes(const QString &text);
QString readingTimeText(int minutes);

// The policy the article is served under: no script of any kind, no frames, plugins or forms;
// pictures, media and fonts from anywhere, and the page's own style sheet.
QByteArray contentSecurityPolicy();

// The whole article page: the policy again in a meta element, the title, byline and reading
// time over the text, in a column about 70 characters wide, light or dark as the desktop is.
QByteArray articleHtml(const Article &article);

} // namespace Reader
