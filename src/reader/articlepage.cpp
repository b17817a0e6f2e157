#include "reader/articlepage.h"

#include <QCoreApplication>
#include <QUrl>

namespace Reader {

namespace {

bool writtenWithoutSpaces(char32_t c)
{
    return (c >= 0x3040 && c <= 0x30ff) // hiragana, katakana
        || (c >= 0x3400 && c <= 0x4dbf) // CJK extension A
        || (c >= 0x4e00 && c <= 0x9fff) // CJK unified ideographs
        || (c >= 0xf900 && c <= 0xfaff) // compatibility ideographs
        || (c >= 0x20000 && c <= 0x3134f); // the supplementary ideographs
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// The column is measured in the font's own character width; the colours follow the desktop's
// scheme as the engine reports it, like the start page's.
const char *const Style = R"(
:root { color-scheme: light dark; }
html { background: #fbfbf8; color: #1b1b1b; }
body { max-width: 70ch; margin: 0 auto; padding: 2em 1.5em 4em;
       font: 1.15rem/1.6 "DejaVu Serif", Georgia, serif; overflow-wrap: break-word; }
header { border-bottom: 1px solid #c8c8c0; margin-bottom: 1.5em; padding-bottom: 0.8em; }
h1 { font-size: 1.9em; line-height: 1.25; margin: 0 0 0.4em; }
.meta { font: 0.9rem/1.4 "DejaVu Sans", sans-serif; color: #55554f; margin: 0.2em 0; }
img, video, svg, picture, figure, canvas { max-width: 100%; height: auto; }
pre, code { font-family: "DejaVu Sans Mono", monospace; font-size: 0.9em; }
pre { overflow-x: auto; padding: 0.6em; background: #efefea; }
table { border-collapse: collapse; max-width: 100%; display: block; overflow-x: auto; }
td, th { border: 1px solid #c8c8c0; padding: 0.2em 0.4em; }
blockquote { margin-left: 0; padding-left: 1em; border-left: 3px solid #c8c8c0; }
a { color: #0b57a4; }
@media (prefers-color-scheme: dark) {
  html { background: #1c1c1e; color: #e3e3df; }
  .meta { color: #a9a9a2; }
  header, td, th, blockquote { border-color: #4a4a48; }
  pre { background: #2a2a2c; }
  a { color: #8ab8f0; }
}
)";

} // namespace

qsizetype wordCount(const QString &text)
{
    qsizetype words = 0;
    bool inWord = false;
    for (const char32_t c : text.toUcs4()) {
        if (writtenWithoutSpaces(c)) {
            ++words;
            inWord = false;
        } else if (QChar::isSpace(c)) {
            inWord = false;
        } else if (!inWord) {
            ++words;
            inWord = true;
        }
    }
    return words;
}

int readingMinutes(const QString &text)
{
    const qsizetype words = wordCount(text);
    if (words == 0)
        return 0;
    return int(std::max<qsizetype>(1, (words + WordsPerMinute / 2) / WordsPerMinute));
}

QString readingTimeText(int minutes)
{
    return QCoreApplication::translate("Reader", "%n min read", nullptr, minutes);
}

QByteArray contentSecurityPolicy()
{
    return "default-src 'none'; script-src 'none'; object-src 'none'; frame-src 'none'; "
           "worker-src 'none'; connect-src 'none'; form-action 'none'; base-uri 'none'; "
           "img-src http: https: data:; media-src http: https: data:; font-src http: https: data:; "
           "style-src 'unsafe-inline'";
}

QByteArray articleHtml(const Article &article)
{
    QString html;
    html.reserve(article.contentHtml.size() + 4096);
    const QString language = QString(article.language).remove(QLatin1Char('"'));
    const QString direction
        = article.direction == QLatin1String("rtl") ? QStringLiteral("rtl") : QStringLiteral("ltr");
    html += QStringLiteral(
                "<!DOCTYPE html>\n<html lang=\"%1\" dir=\"%2\"><head><meta charset=\"utf-8\">")
                .arg(escaped(language), direction);
    html += QStringLiteral("<meta http-equiv=\"Content-Security-Policy\" content=\"%1\">")
                .arg(QString::fromLatin1(contentSecurityPolicy()));
    html += QStringLiteral("<meta name=\"referrer\" content=\"no-referrer\">");
    html += QStringLiteral("<meta name=\"viewport\" content=\"width=device-width\">");
    html += QStringLiteral("<title>%1</title><style>%2</style></head><body><header>")
                .arg(escaped(article.title), QString::fromLatin1(Style));
    html += QStringLiteral("<h1>%1</h1>").arg(escaped(article.title));
    const QUrl page(article.pageUrl);
    const QString site = !article.siteName.trimmed().isEmpty() ? article.siteName : page.host();
    if (!site.isEmpty())
        html += QStringLiteral("<p class=\"meta site\"><a href=\"%1\">%2</a></p>")
                    .arg(escaped(page.toString(QUrl::FullyEncoded)), escaped(site));
    if (!article.byline.trimmed().isEmpty())
        html += QStringLiteral("<p class=\"meta byline\">%1</p>").arg(escaped(article.byline));
    const int minutes = readingMinutes(article.text);
    if (minutes > 0)
        html += QStringLiteral("<p class=\"meta time\">%1</p>")
                    .arg(escaped(readingTimeText(minutes)));
    html += QStringLiteral("</header><main>");
    html += article.contentHtml;
    html += QStringLiteral("</main></body></html>\n");
    return html.toUtf8();
}

} // namespace Reader
