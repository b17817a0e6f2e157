#include "platform/desktop/profiledata/cookiefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcCookieFile, "kestrav.cookiefile")

namespace CookieFile {

namespace {

QHash<QString, QList<QNetworkCookie>> &keptLists()
{
    static QHash<QString, QList<QNetworkCookie>> lists;
    return lists;
}

QString textOf(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

QList<QNetworkCookie> read(const QString &file)
{
    QList<QNetworkCookie> cookies;
    if (!QFile::exists(file))
        return cookies;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK) {
        qCWarning(lcCookieFile) << "cannot open" << file << sqlite3_errmsg(db);
        sqlite3_close(db);
        return cookies;
    }
    sqlite3_stmt *statement = nullptr;
    // Expired cookies wait in the file until the engine next tidies it.
    static const char query[] = "SELECT host_key, path, name FROM cookies"
                                " WHERE NOT (has_expires AND expires_utc < ?)";
    if (sqlite3_prepare_v2(db, query, -1, &statement, nullptr) == SQLITE_OK) {
        // The engine counts microseconds from 1601.
        constexpr qint64 From1601 = 11644473600LL * 1000 * 1000;
        sqlite3_bind_int64(statement, 1, QDateTime::currentMSecsSinceEpoch() * 1000 + From1601);
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            QNetworkCookie cookie(textOf(statement, 2).toUtf8());
            cookie.setDomain(textOf(statement, 0));
            cookie.setPath(textOf(statement, 1));
            cookies.append(cookie);
        }
        if (step != SQLITE_DONE) {
            qCWarning(lcCookieFile) << "cannot read" << file << sqlite3_errmsg(db);
            cookies.clear();
        }
    } else {
        qCWarning(lcCookieFile) << "cannot read" << file << sqlite3_errmsg(db);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return cookies;
}

} // namespace

void readBeforeEngine(const QString &storageFolder)
{
    const QString folder = QDir::cleanPath(storageFolder);
    keptLists().insert(folder, read(QDir(folder).filePath(QStringLiteral("Cookies"))));
}

QList<QNetworkCookie> keptAtStart(const QString &storageFolder)
{
    return keptLists().value(QDir::cleanPath(storageFolder));
}

} // namespace CookieFile
