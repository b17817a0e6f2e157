#include "fakekeyring.h"
#include "fakesettingsstore.h"
#include "import/bookmarkshtml.h"
#include "import/browsersources.h"
#include "import/favoritesimport.h"
#include "import/firefoxplaces.h"
#include "import/jsonbookmarks.h"
#include "import/passwordimport.h"
#include "import/passwordscsv.h"
#include "signins/savedsignins.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace Import;

namespace {

QStringList urlsOf(const BookmarksRead &read)
{
    QStringList urls;
    for (const Bookmark &bookmark : read.bookmarks)
        urls.append(bookmark.url);
    return urls;
}

bool run(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    qWarning() << statement << query.lastError().text();
    return false;
}

// A places.sqlite with the tables and columns Firefox reads bookmarks from: its roots, a
// folder, bookmarks of web and other addresses, and a tag, which repeats a bookmark.
bool writePlaces(QSqlDatabase &db)
{
    const QStringList statements = {
        "PRAGMA journal_mode = WAL",
        "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
        "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
        "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, "
        "last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, "
        "url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT, preview_image_url TEXT, "
        "origin_id INTEGER, site_name TEXT)",
        "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT "
        "NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
        "folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, "
        "syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1)",
        "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
        "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), "
        "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'), "
        "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (7, 2, 4, 0, 'news', 'tagfolder001'), "
        "(8, 2, 3, 0, 'Reading', 'folder000001')",
        "INSERT INTO moz_places (id, url, title) VALUES (1, 'https://b.test/', 'B'), "
        "(2, 'http://a.test/path?q=1', 'A'), (3, 'javascript:alert(1)', 'Script'), "
        "(4, 'place:sort=8&maxResults=10', 'Most visited')",
        "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES "
        "(10, 1, 2, 3, 1, 'A'), (11, 1, 1, 8, 0, 'B in a folder'), (12, 1, 3, 2, 0, 'Script'), "
        "(13, 1, 4, 2, 1, 'Most visited'), (14, 1, 2, 7, 0, NULL), (15, 3, NULL, 2, 2, '')",
    };
    for (const QString &statement : statements) {
        if (!run(db, statement))
            return false;
    }
    return true;
}

QByteArray chromiumBookmarks()
{
    return R"({"checksum": "00", "roots": {
        "bookmark_bar": {"children": [
            {"name": "Kernel", "type": "url", "url": "https://kernel.test/"},
            {"name": "Tools", "type": "folder", "children": [
                {"name": "Deep", "type": "url", "url": "https://deep.test/a"},
                {"name": "Data", "type": "url", "url": "data:text/html,hi"}]}],
            "name": "Bookmarks bar", "type": "folder"},
        "other": {"children": [{"name": "File", "type": "url", "url": "file:///etc/passwd"},
                               {"name": "Other", "type": "url", "url": "http://other.test/"}],
                  "name": "Other bookmarks", "type": "folder"},
        "synced": {"children": [], "name": "Mobile bookmarks", "type": "folder"}},
      "version": 1})";
}

QByteArray falkonBookmarks()
{
    return R"({"roots": {"bookmark_menu": {"type": "folder", "children": [
                {"type": "url", "url": "https://menu.test/", "name": "Menu"},
                {"type": "separator"}]},
              "bookmark_bar": {"type": "folder", "children": [
                {"type": "url", "url": "https://bar.test/", "name": "Bar"}]}}, "version": 1})";
}

// An export as Firefox writes it: DT and P never closed, entities in titles and addresses.
QByteArray firefoxExport()
{
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
           "<!-- This is an automatically generated file. -->\n"
           "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
           "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n"
           "    <DT><H3 ADD_DATE=\"1\">Toolbar</H3>\n    <DL><p>\n"
           "        <DT><A HREF=\"https://x.test/?a=1&amp;b=2\" ADD_DATE=\"1\">X &amp; Y</A>\n"
           "        <DT><A HREF=\"javascript:void(0)\">Bookmarklet</A>\n"
           "        <DT><H3>Nested</H3>\n        <DL><p>\n"
           "            <DT><A HREF=\"https://caf\xc3\xa9.test/\">Caf\xc3\xa9</A>\n"
           "        </DL><p>\n    </DL><p>\n"
           "    <DT><A HREF=\"http://plain.test/\">Plain\n    <HR>\n"
           "</DL>\n";
}

QString writeTemp(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeAll(path, bytes) ? path : QString();
}

// A file of this size made in an instant: a hole, as the disk keeps it.
QString sparseFile(const QTemporaryDir &dir, const QString &name, qint64 size)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return {};
    return file.fileName();
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firefoxWhileItRuns()
    {
        QTemporaryDir dir;
        const QString places = dir.filePath("places.sqlite");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "firefox");
            db.setDatabaseName(places);
            QVERIFY(db.open());
            QVERIFY(writePlaces(db));
            // Firefox holds its database locked, the latest changes still in the log.
            QVERIFY(run(db, "PRAGMA wal_autocheckpoint = 0"));
            QVERIFY(run(db, "PRAGMA locking_mode = EXCLUSIVE"));
            QVERIFY(run(db, "INSERT INTO moz_places (id, url) VALUES (5, 'https://new.test/')"));
            QVERIFY(run(db,
                        "INSERT INTO moz_bookmarks (id, type, fk, parent, position) "
                        "VALUES (16, 1, 5, 5, 0)"));
            QVERIFY(QFileInfo(places + "-wal").size() > 0);
            const QByteArray before = readAll(places);

            const BookmarksRead read = readFirefoxPlaces(places);
            QVERIFY2(read.ok(), qPrintable(read.error));
            QCOMPARE(
                urlsOf(read),
                QStringList({ "http://a.test/path?q=1", "https://new.test/", "https://b.test/" }));
            QCOMPARE(read.bookmarks.at(0).title, QString("A"));
            QCOMPARE(read.notWeb, 2);
            // Firefox's file is as it left it, and its lock still holds.
            QCOMPARE(readAll(places), before);
            QVERIFY(run(db, "INSERT INTO moz_places (id, url) VALUES (6, 'https://later.test/')"));
        }
        QSqlDatabase::removeDatabase("firefox");
    }

    void firefoxUnreadable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        QTest::newRow("binary") << QByteArray(8192, '\xa5') << "damaged";
        QTest::newRow("text") << QByteArray("just some text\n").repeated(300) << "damaged";
        QTest::newRow("truncated header")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(100, '\1') << "damaged";
        QTest::newRow("other database") << QByteArray() << "no Firefox bookmarks";
    }
    void firefoxUnreadable()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString places = dir.filePath("places.sqlite");
        if (bytes.isEmpty()) {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
            db.setDatabaseName(places);
            QVERIFY(db.open());
            QVERIFY(run(db, "CREATE TABLE notes (id INTEGER)"));
            db.close();
            db = {};
            QSqlDatabase::removeDatabase("other");
        } else {
            QVERIFY(writeAll(places, bytes));
        }
        const BookmarksRead read = readFirefoxPlaces(places);
        QVERIFY2(read.error.contains(says), qPrintable(read.error));
        QVERIFY(read.bookmarks.isEmpty());
        QCOMPARE(readAll(places).size(), QFileInfo(places).size());
    }

    void chromiumAndFalkon()
    {
        const BookmarksRead read = readJsonBookmarks(chromiumBookmarks(), "Bookmarks");
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(
            urlsOf(read),
            QStringList({ "https://kernel.test/", "https://deep.test/a", "http://other.test/" }));
        QCOMPARE(read.notWeb, 2);
        const BookmarksRead falkon = readJsonBookmarks(falkonBookmarks(), "bookmarks.json");
        QCOMPARE(urlsOf(falkon), QStringList({ "https://bar.test/", "https://menu.test/" }));
    }

    // Hostile files get an answer naming what is wrong, quickly, and no bookmarks.
    void hostileFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("sparseSize");
        QTest::addColumn<QString>("says");
        const QByteArray deepJson = "{\"roots\": {\"a\": " + QByteArray("[").repeated(100000);
        const QByteArray deepHtml = "<DL><p><DT><H3>f</H3>"
            + QByteArray("<DL><p><DT>").repeated(100000)
            + "<A HREF=\"https://deep.test/\">deep</A>";
        const qint64 big = 200LL * 1024 * 1024;
        QTest::newRow("json truncated")
            << "json" << chromiumBookmarks().left(300) << 0LL << "damaged";
        QTest::newRow("json binary")
            << "json" << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << 0LL << "damaged";
        QTest::newRow("json nested 100,000 deep") << "json" << deepJson << 0LL << "damaged";
        QTest::newRow("json without roots")
            << "json" << QByteArray("[1, 2]") << 0LL << "no bookmark";
        QTest::newRow("json 200 MB") << "json" << QByteArray() << big << "too large";
        QTest::newRow("html nested 100,000 deep") << "html" << deepHtml << 0LL << "more than 1000";
        QTest::newRow("html binary")
            << "html" << QByteArray("GIF89a\0\0\x01", 9) << 0LL << "not an HTML file";
        QTest::newRow("html without links")
            << "html" << QByteArray("<html><p>hello") << 0LL << "no bookmarks";
        QTest::newRow("html 200 MB") << "html" << QByteArray() << big << "too large";
        QTest::newRow("csv 200 MB") << "csv" << QByteArray() << big << "too large";
        QTest::newRow("csv binary") << "csv" << QByteArray("url\0x", 5) << 0LL << "not a text file";
    }
    void hostileFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, sparseSize);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString path
            = sparseSize > 0 ? sparseFile(dir, "file", sparseSize) : writeTemp(dir, "file", bytes);
        QVERIFY(!path.isEmpty());
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (kind == "json")
            error = readJsonBookmarks(path).error;
        else if (kind == "html")
            error = readBookmarksHtml(path).error;
        else
            error = readPasswordsCsv(path).error;
        QVERIFY2(error.contains(says), qPrintable(error));
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    }

    void htmlExports()
    {
        const BookmarksRead read = readBookmarksHtml(firefoxExport(), "bookmarks.html");
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(urlsOf(read),
                 QStringList({ "https://x.test/?a=1&b=2", "https://caf\u00e9.test/",
                               "http://plain.test/" }));
        QCOMPARE(read.bookmarks.first().title, QString("X & Y"));
        QCOMPARE(read.bookmarks.last().title, QString("Plain"));
        QCOMPARE(read.notWeb, 1);
        QCOMPARE(read.note, QString());

        // Cut off in the middle of a folder: what is there, and a word that it is cut short.
        const QByteArray cut
            = firefoxExport().left(firefoxExport().indexOf("<DT><A HREF=\"http://plain"));
        const BookmarksRead partial = readBookmarksHtml(cut, "cut.html");
        QCOMPARE(partial.bookmarks.size(), 2);
        QVERIFY(partial.note.contains("cut short"));
    }

    void exportReimports()
    {
        const QStringList addresses = { "https://a.test/?x=1&y=\"2\"", "http://b.test/<script>",
                                        "https://c.test/caf\u00e9", "http://d.test/a'b" };
        const QByteArray html = bookmarksHtml(addresses);
        QVERIFY(!html.contains("<script>"));
        QTemporaryDir dir;
        QString error;
        const QString path = dir.filePath("exported.html");
        QVERIFY(exportFavorites(path, addresses, &error));
        const BookmarksRead read = readBookmarksHtml(path);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(urlsOf(read), addresses);
        QCOMPARE(read.note, QString());
        QVERIFY(!exportFavorites(dir.filePath("missing/folder/x.html"), addresses, &error));
        QVERIFY(error.contains("missing"));
    }

    void passwordsCsv_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("rows"); // origin|user|password
        QTest::addColumn<QList<qsizetype>>("skipped"); // not web, repeated, damaged
        QTest::addColumn<QString>("error");
        QTest::newRow("firefox") << QByteArray(
            "\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\"\r\n"
            "\"https://a.test/login\",\"ann\",\"p,1\",,\"https://a.test\",\"{1}\"\r\n"
            "\"chrome://FirefoxAccounts\",\"x\",\"y\",,,\"{2}\"\r\n"
            "\"https://a.test:443/other\",\"ann\",\"again\",,,\"{3}\"\r\n")
                                 << QStringList { "https://a.test:443|ann|p,1" }
                                 << QList<qsizetype> { 1, 1, 0 } << "";
        QTest::newRow("chrome, other order, quotes and line breaks")
            << QByteArray("\xef\xbb\xbfname,url,username,password,note\n"
                          "b,http://b.test/,bob,\"say \"\"hi\"\"\",\"two\nlines\"\n"
                          "c,https://c.test/,,only-password,\n"
                          "d,https://d.test/,dan,,\n"
                          "e,https://e.test/\n"
                          "\n")
            << QStringList { "http://b.test:80|bob|say \"hi\"",
                             "https://c.test:443||only-password" }
            << QList<qsizetype> { 0, 0, 2 } << "";
        QTest::newRow("missing column")
            << QByteArray("url,login,password\nhttps://a.test/,a,b\n") << QStringList()
            << QList<qsizetype> { 0, 0, 0 } << "names no username column";
        QTest::newRow("quote never closed")
            << QByteArray("url,username,password\nhttps://a.test/,a,\"b\nhttps://c.test/,c,d\n")
            << QStringList() << QList<qsizetype> { 0, 0, 0 } << "line 2 is never closed";
        QTest::newRow("empty") << QByteArray() << QStringList() << QList<qsizetype> { 0, 0, 0 }
                               << "names no url, username, password column";
    }
    void passwordsCsv()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, rows);
        QFETCH(QList<qsizetype>, skipped);
        QFETCH(QString, error);
        const PasswordsRead read = readPasswordsCsv(csv, "passwords.csv");
        QVERIFY2(error.isEmpty() ? read.ok() : read.error.contains(error), qPrintable(read.error));
        QStringList got;
        for (const PasswordRow &row : read.rows)
            got.append(row.origin + '|' + row.userName + '|' + row.password);
        QCOMPARE(got, rows);
        QCOMPARE((QList<qsizetype> { read.notWeb, read.repeated, read.damaged }), skipped);
    }

    void findsBrowsersInAHome()
    {
        QTemporaryDir home;
        QVERIFY(writeTemp(home, ".mozilla/firefox/profiles.ini",
                          "[General]\nStartWithLastProfile=1\n\n[Profile1]\nName=empty\n"
                          "IsRelative=1\nPath=abc.empty\n\n[Profile0]\nName=default-release\n"
                          "IsRelative=1\nPath=xyz.default-release\nDefault=1\n")
                != QString());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "home");
            db.setDatabaseName(home.filePath(".mozilla/firefox/xyz.default-release/places.sqlite"));
            QVERIFY(QDir().mkpath(home.filePath(".mozilla/firefox/xyz.default-release")));
            QVERIFY(db.open());
            QVERIFY(writePlaces(db));
            db.close();
        }
        QSqlDatabase::removeDatabase("home");
        QVERIFY(
            !writeTemp(home, ".config/chromium/Default/Bookmarks", chromiumBookmarks()).isEmpty());
        QVERIFY(!writeTemp(home, ".config/chromium/Profile 1/Bookmarks", "{\"roots\"").isEmpty());
        QVERIFY(!writeTemp(home, ".config/chromium/Local State",
                           R"({"profile": {"info_cache": {"Profile 1": {"name": "Work"}}}})")
                     .isEmpty());
        QVERIFY(!writeTemp(home, ".config/BraveSoftware/Brave-Browser/Default/Bookmarks",
                           chromiumBookmarks())
                     .isEmpty());
        QVERIFY(
            !writeTemp(home, ".config/falkon/profiles/default/bookmarks.json", chromiumBookmarks())
                 .isEmpty());
        QVERIFY(!writeTemp(home, ".config/qutebrowser/bookmarks/urls",
                           "https://q.test/ Q title\njavascript:x J\n")
                     .isEmpty());
        QVERIFY(!writeTemp(home, ".config/qutebrowser/quickmarks", "my mark https://mark.test/\n")
                     .isEmpty());

        QStringList described;
        qsizetype qutebrowserUrls = 0;
        for (const BrowserSource &source : findBrowsers(home.path())) {
            const BookmarksRead read = readSource(source);
            described.append(describe(source, read).section(':', 0, 1));
            if (source.browser == "qutebrowser")
                qutebrowserUrls = read.bookmarks.size() * 10 + read.notWeb;
        }
        QCOMPARE(described,
                 QStringList(
                     { "Firefox (default-release): 2 bookmarks", "Chromium (Default): 3 bookmarks",
                       "Chromium (Work): " + home.filePath(".config/chromium/Profile 1/Bookmarks")
                           + " is damaged",
                       "Brave (Default): 3 bookmarks", "Falkon (default): 3 bookmarks",
                       "qutebrowser: 2 bookmarks" }));
        QCOMPARE(qutebrowserUrls, 21);
        QVERIFY(findBrowsers(home.filePath("nobody")).isEmpty());
    }

    void mergeIntoFavorites()
    {
        const QByteArray file = "zeta.test\r\n  http://a.test/  \r\nhttp://m.test/\r\n";
        const FavoritesMerge merge = mergeFavorites(
            file, { "http://b.test/", "http://a.test/", "http://b.test/", "http://z.test/" });
        QCOMPARE(merge.imported, 2);
        QCOMPARE(merge.alreadyThere, 2);
        QCOMPARE(merge.leftOut, 0);
        // Sorted as adds sort it, the listed entries kept (trimmed, as every sort trims them).
        QCOMPARE(merge.fileBytes,
                 *Favorites::SortFavoritesFile(file + "\r\nhttp://b.test/\r\nhttp://z.test/"));
        QCOMPARE(Favorites::readEntries(merge.fileBytes).size(), 5);
        QCOMPARE(importReport(merge, 0), QString("Imported 2 favorites (2 were already there)"));
        QCOMPARE(importReport(merge, 3),
                 QString("Imported 2 favorites (2 were already there). 3 addresses that are not "
                         "web addresses (javascript:, data:, file: and the like) were skipped."));
        QVERIFY(importReport(merge, 1).endsWith(
            "1 address that is not a web address (javascript:, data:, file: or the like) was "
            "skipped."));

        const FavoritesMerge nothing = mergeFavorites(file, { "http://m.test/" });
        QCOMPARE(nothing.fileBytes, file);
        QCOMPARE(nothing.imported, 0);
    }

    void mergeStopsAtTheBound()
    {
        QByteArray file;
        for (int i = 0; i < Favorites::MaxEntries - 1; ++i)
            file += "http://h" + QByteArray::number(i) + ".test/\r\n";
        const FavoritesMerge merge = mergeFavorites(
            file,
            { "http://h5.test/", "http://new1.test/", "http://new2.test/", "http://new3.test/" });
        QCOMPARE(merge.imported, 1);
        QCOMPARE(merge.alreadyThere, 1);
        QCOMPARE(merge.leftOut, 2);
        QCOMPARE(merge.entries.size(), Favorites::MaxEntries);
        QVERIFY(merge.fileBytes.contains("http://new1.test/"));
        QVERIFY(importReport(merge, 0).contains("2 were left out"));
    }

    void passwordsSortedAndSaved()
    {
        FakeKeyring keyring;
        FakeSettingsStore store;
        SavedSignIns saved(store);
        const PasswordRow same { "https://a.test:443", "ann", "one" };
        const PasswordRow conflict { "https://a.test:443", "bob", "new" };
        const PasswordRow fresh { "https://c.test:443", "cy", "three" };
        const PasswordRow lost { "https://d.test:443", "di", "four" }; // listed, not in the keyring
        for (const auto &[row, secret] :
             { std::pair { same, "one" }, std::pair { conflict, "old" } }) {
            saved.add({ row.origin, row.userName });
            keyring.secrets.insert(SavedSignIns::keyringKey({ row.origin, row.userName }), secret);
        }
        saved.add({ lost.origin, lost.userName });

        PasswordImporter importer(keyring, store);
        std::optional<PasswordImporter::Sorted> sorted;
        importer.sort({ same, conflict, fresh, lost }, {}, [&](auto result) { sorted = result; });
        QTRY_VERIFY(sorted.has_value());
        QCOMPARE(sorted->same, 1);
        QCOMPARE(sorted->conflicts.size(), 1);
        QCOMPARE(sorted->conflicts.first().userName, QString("bob"));
        QCOMPARE(sorted->fresh.size(), 2);

        std::optional<PasswordImporter::Saved> done;
        qsizetype lastProgress = -1;
        importer.save(
            sorted->fresh, [&](qsizetype n, qsizetype) { lastProgress = n; },
            [&](auto result) { done = result; });
        QTRY_VERIFY(done.has_value());
        QCOMPARE(done->saved, 2);
        QCOMPARE(lastProgress, 2);
        QCOMPARE(keyring.secrets.value(SavedSignIns::keyringKey({ fresh.origin, fresh.userName })),
                 QString("three"));
        QCOMPARE(keyring.secrets.value(SavedSignIns::keyringKey({ conflict.origin, "bob" })),
                 QString("old"));
        QVERIFY(saved.contains({ fresh.origin, fresh.userName }));
        QCOMPARE(PasswordImporter::report(*sorted, *done),
                 QString("Saved 2 sign-ins (1 were already saved)"));

        // A keyring that refuses: nothing is listed without its password.
        keyring.available = false;
        done.reset();
        importer.save({ { "https://e.test:443", "ed", "five" } }, {}, [&](auto r) { done = r; });
        QTRY_VERIFY(done.has_value());
        QCOMPARE(done->saved, 0);
        QVERIFY(!done->error.isEmpty());
        QVERIFY(!saved.contains({ "https://e.test:443", "ed" }));
    }
};

KESTRAV_TEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
