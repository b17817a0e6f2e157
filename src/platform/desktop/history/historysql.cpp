#include "platform/desktop/history/historysql.h"

#include <QSqlError>
#include <QUrl>

namespace HistorySql {

namespace {

[[noreturn]] void throwError(const QSqlError &error)
{
    // Only the primary code is kept: extended codes (SQLITE_IOERR_WRITE, ...) vary by build.
    throw Failure { error.nativeErrorCode().toInt() & 0xff, error.text() };
}

} // namespace

void fail(const QSqlQuery &query)
{
    throwError(query.lastError());
}

void fail(const QSqlDatabase &database)
{
    throwError(database.lastError());
}

qint64 addressHash(const QString &url)
{
    // FNV-1a: the same on every run and machine, unlike qHash.
    quint64 hash = 14695981039346656037ULL;
    for (const char byte : url.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 1099511628211ULL;
    }
    return qint64(hash);
}

QString hostKey(const QString &url)
{
    QString host = QUrl(url).host().toLower();
    if (host.startsWith(QLatin1String("www.")))
        host.remove(0, 4);
    // An address without a host has an empty one, never a null (which SQL takes for NULL).
    return host.isNull() ? QStringLiteral("") : host;
}

QString packedWords(const QStringList &words)
{
    return words.join(QLatin1Char('\n'));
}

QString trigramQuery(const QStringList &words)
{
    QStringList trigrams;
    for (const QString &word : words) {
        // Trigrams are of characters, not UTF-16 units.
        const QList<uint> chars = word.toUcs4();
        for (qsizetype i = 0; i + 3 <= chars.size(); ++i) {
            QString trigram
                = QString::fromUcs4(reinterpret_cast<const char32_t *>(chars.constData() + i), 3);
            trigram.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            trigrams.append(QLatin1Char('"') + trigram + QLatin1Char('"'));
        }
    }
    trigrams.removeDuplicates();
    // The index only narrows the search, the match function decides; a few trigrams spread
    // over the words narrow it enough, and FTS5 refuses very deep expressions.
    constexpr qsizetype MaxTrigrams = 12;
    if (trigrams.size() > MaxTrigrams) {
        QStringList spread;
        for (qsizetype i = 0; i < MaxTrigrams; ++i)
            spread.append(trigrams.at(i * (trigrams.size() - 1) / (MaxTrigrams - 1)));
        trigrams = spread;
    }
    return trigrams.join(QLatin1String(" AND "));
}

} // namespace HistorySql
