#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// Small helpers of the history file's statements: a failing statement throws its SQLite
// code, so that the database decides in one place what a failure means.
namespace HistorySql {

// The SQLite result code of a failed statement.
struct Failure
{
    int code = 0;
    QString text;
};

// The primary result codes that the history tells apart.
constexpr int Busy = 5;
constexpr int Locked = 6;
constexpr int ReadOnly = 8;
constexpr int IoError = 10;
constexpr int Corrupt = 11;
constexpr int Full = 13;
constexpr int CantOpen = 14;
constexpr int NotADatabase = 26;

[[noreturn]] void fail(const QSqlQuery &query);
[[noreturn]] void fail(const QSqlDatabase &database);

// A stable 64-bit hash of the address, the key the file looks addresses up by.
qint64 addressHash(const QString &url);
// The host that the host tier compares: lower case, without "www.".
QString hostKey(const QString &url);
// The words as the match function takes them, one per line.
QString packedWords(const QStringList &words);
// An FTS5 query that every entry holding all words satisfies: the trigrams of each word of
// three characters or more, quoted. "" when no word is long enough.
QString trigramQuery(const QStringList &words);

} // namespace HistorySql
