// A child process for the crash-safety and two-copies tests: it writes the program's own
// files the way the program does, so that a test can kill it at any moment or run two.
//
//   storewriter favorites PATH ENTRIES   rewrites PATH forever, alternating two contents of
//                                        ENTRIES lines each ("a..." and "b..." addresses)
//   storewriter import PATH HTML         forever: writes PATH as the "a" content of 2,000 lines,
//                                        then imports the bookmarks file HTML into it
//   storewriter recent DB PREFIX COUNT   adds PREFIX0 .. PREFIX(COUNT-1) to the recent list;
//                                        COUNT 0 goes on forever. Prints one line per write
//                                        that failed, and exits 0.
//   storewriter lock DB SECONDS          holds a write transaction on DB for SECONDS, as
//                                        another copy in the middle of a long write would,
//                                        then ends without committing it

#include "favorites/favoritesfile.h"
#include "history/recenturls.h"
#include "import/bookmarkshtml.h"
#include "import/favoritesimport.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "writercontent.h"

#include <cstdio>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

namespace {

int rewriteFavorites(const QString &path, int entries)
{
    const QByteArray contents[2]
        = { favoritesContent('a', entries), favoritesContent('b', entries) };
    for (unsigned round = 0;; ++round) {
        Favorites::writeFavoritesFile(path, contents[round % 2]);
        if (round == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}

int importForever(const QString &path, const QString &html)
{
    const QByteArray before = favoritesContent('a', ImportedInto);
    QStringList addresses;
    for (const Import::Bookmark &bookmark : Import::readBookmarksHtml(html).bookmarks)
        addresses.append(bookmark.url);
    for (unsigned round = 0;; ++round) {
        Favorites::writeFavoritesFile(path, before);
        const Import::FavoritesMerge merge
            = Import::mergeFavorites(Favorites::readFavoritesFile(path), addresses);
        Favorites::writeFavoritesFile(path, merge.fileBytes);
        if (round == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}

int addRecent(const QString &database, const QString &prefix, int count)
{
    SqliteSettingsStore store(database);
    for (int i = 0; count == 0 || i < count; ++i) {
        try {
            RecentUrls::write(store, prefix + QString::number(i));
        } catch (const PlatformError &error) {
            std::printf("failed %d: %s\n", i, qPrintable(error.description()));
        }
        if (i == 0) {
            std::puts("ready");
        }
        std::fflush(stdout);
    }
    return 0;
}

int holdLock(const QString &database, int seconds)
{
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
        db.setDatabaseName(database);
        QSqlQuery query(db);
        if (!db.open() || !query.exec(QStringLiteral("BEGIN IMMEDIATE"))
            || !query.exec(QStringLiteral("UPDATE settings SET value = 'theirs'"))) {
            std::puts("failed");
            return 1;
        }
        std::puts("ready");
        std::fflush(stdout);
        QThread::sleep(seconds);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lock"));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("favorites"))
        return rewriteFavorites(args.at(2), args.at(3).toInt());
    if (args.size() == 4 && args.at(1) == QLatin1String("import"))
        return importForever(args.at(2), args.at(3));
    if (args.size() == 4 && args.at(1) == QLatin1String("lock"))
        return holdLock(args.at(2), args.at(3).toInt());
    if (args.size() == 5 && args.at(1) == QLatin1String("recent"))
        return addRecent(args.at(2), args.at(3), args.at(4).toInt());
    std::fputs(
        "usage: storewriter favorites PATH ENTRIES | import PATH HTML | recent DB PREFIX COUNT"
        " | lock DB SECONDS\n",
        stderr);
    return 2;
}
