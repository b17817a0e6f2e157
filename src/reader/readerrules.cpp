#include "reader/readerrules.h"

#include <QCoreApplication>

namespace Reader {

namespace {

QString scheme()
{
    return QString::fromLatin1(Scheme);
}

} // namespace

QUrl readerAddress(const QUrl &page)
{
    // The page's own address is kept readable in the address box; only what would end the
    // reader address's path early is escaped.
    QString path = page.toString(QUrl::FullyEncoded);
    path.replace(QLatin1Char('%'), QLatin1String("%25"))
        .replace(QLatin1Char('?'), QLatin1String("%3F"))
        .replace(QLatin1Char('#'), QLatin1String("%23"));
    return QUrl(scheme() + QLatin1Char(':') + path, QUrl::StrictMode);
}

QUrl pageAddress(const QUrl &reader)
{
    if (!isReaderAddress(reader))
        return {};
    const QUrl page(reader.path(QUrl::FullyDecoded), QUrl::StrictMode);
    return mayHaveArticle(page) ? page : QUrl();
}

bool isReaderAddress(const QUrl &url)
{
    return url.scheme().compare(scheme(), Qt::CaseInsensitive) == 0;
}

bool mayHaveArticle(const QUrl &page)
{
    const QString s = page.scheme().toLower();
    return page.isValid()
        && (s == QLatin1String("http") || s == QLatin1String("https")
            || s == QLatin1String("file"));
}

QString outcomeMessage(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Shown:
        return {};
    case Outcome::NoArticle:
        return QCoreApplication::translate("Reader", "Reader view: this page has no article");
    case Outcome::TooLarge:
        return QCoreApplication::translate(
            "Reader", "Reader view: this page is too large to read as an article");
    case Outcome::TimedOut:
        return QCoreApplication::translate(
            "Reader", "Reader view: the page took too long and was left as it is");
    case Outcome::Failed:
        return QCoreApplication::translate("Reader", "Reader view: the page could not be read");
    }
    return {};
}

QString availableMessage()
{
    return QCoreApplication::translate("Reader", "Reader view available (F9)");
}

} // namespace Reader
