#include "import/firefoxplaces.h"

#include "import/importlimits.h"

#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <sqlite3.h>

namespace Import {

namespace {

// Bookmarks (type 1) with their places, in the order of their folders, except those in tag
// folders (the folders under the tags root).
const char BookmarksQuery[] = "SELECT p.url, b.title FROM moz_bookmarks b "
                              "JOIN moz_places p ON p.id = b.fk WHERE b.type = 1 "
                              "AND b.parent NOT IN (SELECT t.id FROM moz_bookmarks t "
                              "  JOIN moz_bookmarks r ON t.parent = r.id "
                              "  WHERE r.guid = 'tags________') "
                              "ORDER BY b.parent, b.position, b.id";

QString text(const unsigned char *utf8)
{
    return utf8 ? QString::fromUtf8(reinterpret_cast<const char *>(utf8)) : QString();
}

struct CloseDatabase
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};

QString sqliteFailure(const QString &shown, sqlite3 *db, int code)
{
    const QString why
        = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    const int primary = code & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        return Texts::tr("%1 is damaged: %2.").arg(shown, why);
    return Texts::tr("%1 cannot be read: %2.").arg(shown, why);
}

} // namespace

BookmarksRead readFirefoxPlaces(const QString &placesPath)
{
    BookmarksRead read;
    const QString shown = QDir::toNativeSeparators(placesPath);
    const QFileInfo info(placesPath);
    if (!info.isFile()) {
        read.error = Texts::tr("%1 was not found.").arg(shown);
        return read;
    }
    if (info.size() > ImportLimits::MaxPlacesBytes) {
        read.error = Texts::tr("%1 is too large to be read (%2; at most %3).")
                         .arg(shown, QLocale().formattedDataSize(info.size()),
                              QLocale().formattedDataSize(ImportLimits::MaxPlacesBytes));
        return read;
    }

    QTemporaryDir copyFolder;
    if (!copyFolder.isValid()) {
        read.error
            = Texts::tr("%1 cannot be copied to be read: %2").arg(shown, copyFolder.errorString());
        return read;
    }
    const QString copy = copyFolder.filePath(QStringLiteral("places.sqlite"));
    QFile original(placesPath);
    if (!original.copy(copy)) {
        read.error
            = Texts::tr("%1 cannot be copied to be read: %2").arg(shown, original.errorString());
        return read;
    }
    // Firefox keeps its latest changes in the log until it folds them into the database.
    const QString log = placesPath + QStringLiteral("-wal");
    if (QFileInfo(log).isFile() && QFileInfo(log).size() <= ImportLimits::MaxPlacesBytes)
        QFile::copy(log, copy + QStringLiteral("-wal"));

    sqlite3 *opened = nullptr;
    int code = sqlite3_open_v2(QFile::encodeName(copy).constData(), &opened,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    const std::unique_ptr<sqlite3, CloseDatabase> db(opened);
    if (code != SQLITE_OK) {
        read.error = sqliteFailure(shown, db.get(), code);
        return read;
    }
    sqlite3_stmt *prepared = nullptr;
    code = sqlite3_prepare_v2(db.get(), BookmarksQuery, -1, &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(prepared);
    if (code != SQLITE_OK) {
        // A file of another kind fails here; so does one whose tables are not Firefox's.
        const int primary = code & 0xff;
        read.error = primary == SQLITE_ERROR
            ? Texts::tr("%1 holds no Firefox bookmarks: %2.")
                  .arg(shown, QString::fromUtf8(sqlite3_errmsg(db.get())))
            : sqliteFailure(shown, db.get(), code);
        return read;
    }
    BookmarkCollector collector(read);
    while ((code = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (!collector.add(text(sqlite3_column_text(statement.get(), 0)),
                           text(sqlite3_column_text(statement.get(), 1))))
            break;
    }
    if (code != SQLITE_ROW && code != SQLITE_DONE) {
        const QString failure = sqliteFailure(shown, db.get(), code);
        read = {};
        read.error = failure;
    }
    return read;
}

} // namespace Import
