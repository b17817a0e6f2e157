#include "platform/desktop/profiledata/localstoragedb.h"
#include "platform/desktop/profiledata/pageorigins.h"
#include "platform/desktop/profiledata/pagestorage.h"
#include "platform/desktop/profiledata/serviceworkerdb.h"
#include "sitedata/clearchoice.h"
#include "sitedata/sitelist.h"
#include "testsupport.h"

#include <leveldb/db.h>
#include <memory>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

Q_DECLARE_METATYPE(PageStorage::OriginRemoval)

namespace {

using OriginRemoval = PageStorage::OriginRemoval;

OriginRemoval removal(const char *origin, int kinds, QList<qint64> workers = {}, qint64 emptied = 0)
{
    OriginRemoval r;
    r.origin = QString::fromLatin1(origin);
    r.kinds = kinds;
    r.serviceWorkers = workers;
    r.emptiedAt = emptied;
    return r;
}

// A LevelDB of these keys and values, as the engine writes it.
bool writeDatabase(const QString &folder, const QList<std::pair<QByteArray, QByteArray>> &entries)
{
    leveldb::Options options;
    options.create_if_missing = true;
    leveldb::DB *opened = nullptr;
    if (!QDir().mkpath(folder) || !leveldb::DB::Open(options, folder.toStdString(), &opened).ok())
        return false;
    const std::unique_ptr<leveldb::DB> db(opened);
    for (const auto &[key, value] : entries) {
        if (!db->Put({}, key.toStdString(), value.toStdString()).ok())
            return false;
    }
    return true;
}

QByteArrayList keysOf(const QString &folder)
{
    leveldb::DB *opened = nullptr;
    if (!leveldb::DB::Open({}, folder.toStdString(), &opened).ok())
        return { "<not opened>" };
    const std::unique_ptr<leveldb::DB> db(opened);
    QByteArrayList keys;
    std::unique_ptr<leveldb::Iterator> it(db->NewIterator({}));
    for (it->SeekToFirst(); it->Valid(); it->Next())
        keys.append(QByteArray(it->key().data(), qsizetype(it->key().size())));
    return keys;
}

} // namespace

// Which addresses a span clears, the host names accepted for a site, the origins the engine
// keeps storage under, and the pages' storage removed at a start only when marked: by origin,
// or as older versions marked it, all of it or a site's.
class tst_SiteDataRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addressesShownInSpan_data();
    void addressesShownInSpan();
    void storageRemovedOnlyWhenMarked();
    void hostChecked_data();
    void hostChecked();
    void siteStorageRemovedOnce_data();
    void siteStorageRemovedOnce();
    void siteMarkWaitsForHeldStorage();
    void originsNamed_data();
    void originsNamed();
    void originMarkRead_data();
    void originMarkRead();
    void originsRemovedAtStart_data();
    void originsRemovedAtStart();
};

void tst_SiteDataRules::addressesShownInSpan_data()
{
    QTest::addColumn<int>("span");
    QTest::addColumn<QStringList>("cleared");

    using ClearData::Span;
    QTest::newRow("last hour") << int(Span::LastHour) << QStringList { "now", "ahead" };
    QTest::newRow("last day") << int(Span::LastDay) << QStringList { "2h", "now", "ahead" };
    QTest::newRow("last week") << int(Span::LastWeek) << QStringList { "6d", "2h", "now", "ahead" };
    QTest::newRow("everything") << int(Span::Everything)
                                << QStringList { "8d", "6d", "2h", "now", "ahead" };
}

void tst_SiteDataRules::addressesShownInSpan()
{
    QFETCH(int, span);
    QFETCH(QStringList, cleared);

    constexpr qint64 now = 1'800'000'000'000;
    constexpr qint64 hour = 3'600'000;
    const QHash<QString, qint64> shown {
        { QStringLiteral("8d"), now - 8 * 24 * hour },
        { QStringLiteral("6d"), now - 6 * 24 * hour },
        { QStringLiteral("2h"), now - 2 * hour },
        { QStringLiteral("now"), now - 1 },
        { QStringLiteral("ahead"), now + hour },
    };
    QCOMPARE(ClearData::shownSince(shown, ClearData::startOf(ClearData::Span(span), now)), cleared);
}

void tst_SiteDataRules::storageRemovedOnlyWhenMarked()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir storage(folder.path());
    for (const char *name : { "Local Storage/leveldb", "IndexedDB/site", "Cookies.d" })
        QVERIFY(storage.mkpath(QString::fromLatin1(name)));

    QVERIFY(!PageStorage::removeIfMarked(storage.path()));
    QVERIFY(storage.exists(QStringLiteral("Local Storage")));

    // As an older version marked all of it.
    QVERIFY(writeAll(storage.filePath(QStringLiteral("remove-page-storage")), "1\n"));
    QVERIFY(PageStorage::removeIfMarked(storage.path()));
    QVERIFY(!storage.exists(QStringLiteral("Local Storage")));
    QVERIFY(!storage.exists(QStringLiteral("IndexedDB")));
    // What is not the pages' own stays, and the mark has gone with the storage.
    QVERIFY(storage.exists(QStringLiteral("Cookies.d")));
    QVERIFY(!PageStorage::removeIfMarked(storage.path()));
}

void tst_SiteDataRules::hostChecked_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("problem");

    using P = SiteList::HostProblem;
    const auto row = [](const char *name, const char *text, const char *host, P problem) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(host) << int(problem);
    };
    row("plain", "example.com", "example.com", P::None);
    row("case, spaces around, final dot", "  Sub.Example.COM. ", "sub.example.com", P::None);
    row("address", "127.0.0.1", "127.0.0.1", P::None);
    row("international", "B\u00fccher.example", "xn--bcher-kva.example", P::None);
    row("empty", "   ", "", P::Empty);
    row("scheme", "https://example.com", "", P::Scheme);
    row("scheme without slashes", "mailto:someone", "", P::Scheme);
    row("path", "example.com/login", "", P::Path);
    row("inner space", "exam ple.com", "", P::Spaces);
    row("port", "example.com:8080", "", P::Port);
    row("empty label", "example..com", "", P::Invalid);
    row("leading hyphen", "-example.com", "", P::Invalid);
    row("underscore", "my_site.example", "", P::Invalid);
    row("label too long", QByteArray(64, 'a').append(".example").constData(), "", P::Invalid);
}

void tst_SiteDataRules::hostChecked()
{
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, problem);

    const SiteList::HostCheck check = SiteList::checkHost(text);
    QCOMPARE(int(check.problem), problem);
    QCOMPARE(check.host, host);
}

void tst_SiteDataRules::siteStorageRemovedOnce_data()
{
    QTest::addColumn<QByteArray>("mark"); // "<folder>": a folder where the mark belongs
    QTest::addColumn<QStringList>("kept");

    const QStringList all { "a.example", "b.example", "nota.example", "www.a.example" };
    QTest::newRow("a site and its subdomains")
        << QByteArray("a.example\n") << QStringList { "b.example", "nota.example" };
    QTest::newRow("two sites, one unknown")
        << QByteArray("A.example\nb.example\nc.example") << QStringList { "nota.example" };
    QTest::newRow("damaged") << QByteArray("\xff\xfe"
                                           "a.example\n../a.example\n")
                             << all;
    QTest::newRow("a folder instead") << QByteArray("<folder>") << all;
}

void tst_SiteDataRules::siteStorageRemovedOnce()
{
    QFETCH(QByteArray, mark);
    QFETCH(QStringList, kept);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir storage(folder.path());
    for (const char *name : { "IndexedDB/http_a.example_0.indexeddb.leveldb",
                              "IndexedDB/http_a.example_0.indexeddb.blob",
                              "IndexedDB/https_www.a.example_443.indexeddb.leveldb",
                              "IndexedDB/http_nota.example_8080.indexeddb.leveldb",
                              "databases/http_b.example_0", "databases/not an origin" })
        QVERIFY(storage.mkpath(QString::fromLatin1(name)));
    const QString markPath = storage.filePath(QStringLiteral("remove-site-storage"));
    if (mark == "<folder>") {
        QVERIFY(storage.mkpath(QStringLiteral("remove-site-storage/inside")));
    } else {
        QFile file(markPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(mark);
    }

    QVERIFY(PageStorage::removeIfMarked(storage.path()));
    QStringList hosts;
    for (const QString &origin : PageStorage::originsWithFolders(storage.path()))
        hosts.append(PageOrigins::hostOf(origin));
    QCOMPARE(hosts, kept);
    QVERIFY(!QFileInfo::exists(markPath));
    QVERIFY(storage.exists(QStringLiteral("databases/not an origin")));
    QVERIFY(!PageStorage::removeIfMarked(storage.path()));
}

void tst_SiteDataRules::siteMarkWaitsForHeldStorage()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString database = folder.filePath(QStringLiteral("Local Storage/leveldb"));
    QVERIFY(QDir().mkpath(database));
    leveldb::Options options;
    options.create_if_missing = true;
    leveldb::DB *opened = nullptr;
    QVERIFY(leveldb::DB::Open(options, database.toStdString(), &opened).ok());
    std::unique_ptr<leveldb::DB> held(opened);
    QVERIFY(held->Put({}, "META:http://a.example", "m").ok());
    QVERIFY(held->Put({}, std::string("_http://a.example\0k", 19), "v").ok());
    QVERIFY(writeAll(folder.filePath(QStringLiteral("remove-site-storage")), "a.example\n"));

    // Another running copy holds the database: the user's removal waits for a later start.
    PageStorage::removeIfMarked(folder.path());
    QCOMPARE(PageStorage::sitesMarked(folder.path()), QStringList { "a.example" });

    held.reset();
    QCOMPARE(LocalStorageDb::origins(database), QStringList { "http://a.example" });
    PageStorage::removeIfMarked(folder.path());
    QVERIFY(PageStorage::sitesMarked(folder.path()).isEmpty());
    QVERIFY(LocalStorageDb::origins(database).isEmpty());
}

void tst_SiteDataRules::originsNamed_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("origin"); // as the engine keeps storage under it
    QTest::addColumn<QString>("folder"); // its folders' name
    QTest::addColumn<bool>("ofSite"); // one of example.com's

    const auto row = [](const char *name, const char *address, const char *origin,
                        const char *folder, bool ofSite) {
        QTest::newRow(name) << QString::fromUtf8(address) << QString::fromUtf8(origin)
                            << QString::fromUtf8(folder) << ofSite;
    };
    row("the scheme's own port left out", "HTTPS://Example.COM:443/a?b#c", "https://example.com",
        "https_example.com_0", true);
    row("another port", "http://www.example.com:8080/", "http://www.example.com:8080",
        "http_www.example.com_8080", true);
    row("as the engine writes it, partition and all", "http://a.example.com/^0https://x.example",
        "http://a.example.com", "http_a.example.com_0", true);
    row("international", "http://b\u00fccher.example/", "http://xn--bcher-kva.example",
        "http_xn--bcher-kva.example_0", false);
    row("not a subdomain", "https://notexample.com/", "https://notexample.com",
        "https_notexample.com_0", false);
    row("address of six groups", "http://[::1]:8123/", "http://[::1]:8123", "http_[__1]_8123",
        false);
    row("local file", "file:///home/a.html", "file://", "file__0", false);
    row("no storage of its own", "about:blank", "", "", false);
    row("not an address", "../a.example", "", "", false);
}

void tst_SiteDataRules::originsNamed()
{
    QFETCH(QString, address);
    QFETCH(QString, origin);
    QFETCH(QString, folder);
    QFETCH(bool, ofSite);

    QCOMPARE(PageOrigins::parse(address), origin);
    if (origin.isEmpty())
        return;
    QCOMPARE(PageOrigins::of(QUrl(address)), origin);
    QCOMPARE(PageOrigins::identifier(origin), folder);
    QCOMPARE(PageOrigins::fromIdentifier(folder + QStringLiteral(".indexeddb.leveldb")), origin);
    QCOMPARE(PageStorage::covers(QStringLiteral("example.com"), PageOrigins::hostOf(origin)),
             ofSite);
}

void tst_SiteDataRules::originMarkRead_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<OriginRemoval>>("read");

    QTest::newRow("as written") << QByteArray(
        "http://a.example:8080 local-storage indexeddb cache-storage websql "
        "service-worker=3 emptied=1700000000000\n")
                                << QList<OriginRemoval> { removal("http://a.example:8080",
                                                                  OriginRemoval::All, { 3 },
                                                                  1'700'000'000'000) };
    QTest::newRow("one origin on two lines, spelled two ways")
        << QByteArray("https://A.example:443/ local-storage service-worker=1\n"
                      "https://a.example websql service-worker=1 service-worker=2 emptied=5\n")
        << QList<OriginRemoval> { removal("https://a.example",
                                          OriginRemoval::LocalStorage | OriginRemoval::WebSql,
                                          { 1, 2 }, 5) };
    QTest::newRow("damage and words not known left out")
        << QByteArray("\xff\xfe\n../a.example local-storage\nhttp://b.example later\n"
                      "http://c.example indexeddb service-worker=x emptied=-4\n\n")
        << QList<OriginRemoval> { removal("http://c.example", OriginRemoval::IndexedDb) };
}

void tst_SiteDataRules::originMarkRead()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<OriginRemoval>, read);

    const QList<OriginRemoval> removals = PageStorage::parseOriginMark(text);
    QCOMPARE(removals, read);
    QCOMPARE(PageStorage::parseOriginMark(PageStorage::originMarkText(removals)), read);
}

void tst_SiteDataRules::originsRemovedAtStart_data()
{
    QTest::addColumn<bool>("held"); // another running copy holds the local storage

    QTest::newRow("free") << false;
    QTest::newRow("held by another copy") << true;
}

void tst_SiteDataRules::originsRemovedAtStart()
{
    QFETCH(bool, held);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir storage(folder.path());
    const QString local = storage.filePath(QStringLiteral("Local Storage/leveldb"));
    const QString workers = storage.filePath(QStringLiteral("Service Worker/Database"));
    // a.example could not be cleared while the engine ran; b.example and c.example were, and
    // c.example wrote in its databases after.
    for (const char *name :
         { "IndexedDB/http_a.example_0.indexeddb.leveldb",
           "IndexedDB/http_a.example_0.indexeddb.blob",
           "IndexedDB/http_b.example_0.indexeddb.leveldb",
           "IndexedDB/http_c.example_0.indexeddb.leveldb", "databases/http_a.example_0",
           "databases/http_b.example_0", "Session Storage" })
        QVERIFY(storage.mkpath(QString::fromLatin1(name)));
    const QString bCaches = "Service Worker/CacheStorage/"
        + QCryptographicHash::hash("http_b.example_0", QCryptographicHash::Sha1).toHex();
    QVERIFY(storage.mkpath(bCaches));
    QVERIFY(writeAll(storage.filePath(bCaches + "/index.txt"), "\x12\x11http://b.example/"));
    // The caches' folders are named by a hash: their index names the origin, which counts when
    // it lists a cache.
    const QList<std::pair<QString, QByteArray>> indexes {
        { QStringLiteral("d"),
          QByteArray("\x0a\x03\x0a\x01"
                     "c\x12\x11http://d.example/") },
        { QStringLiteral("e"), QByteArray("\x12\x11http://e.example/") },
    };
    for (const auto &[name, index] : indexes) {
        QVERIFY(storage.mkpath(QStringLiteral("Service Worker/CacheStorage/") + name));
        QVERIFY(writeAll(storage.filePath(QStringLiteral("Service Worker/CacheStorage/") + name
                                          + QStringLiteral("/index.txt")),
                         index));
    }
    QCOMPARE(PageStorage::originsWithFolders(storage.path()),
             (QStringList { "http://a.example", "http://b.example", "http://c.example",
                            "http://d.example" }));
    QVERIFY(writeDatabase(local,
                          { { "META:http://a.example", "m" },
                            { QByteArray("_http://a.example\0k", 19), "v" },
                            { "META:http://c.example", "m" } }));
    QVERIFY(writeDatabase(workers,
                          { { QByteArray("REG:http://a.example/\0"
                                         "1",
                                         23),
                              "r" },
                            { "REGID_TO_ORIGIN:1", "http://a.example/" },
                            { QByteArray("REG:http://a.example/\0"
                                         "2",
                                         23),
                              "r" },
                            { "REGID_TO_ORIGIN:2", "http://a.example/" },
                            { "INITDATA_UNIQUE_ORIGIN:http://a.example/", "" },
                            { QByteArray("REG:http://b.example/\0"
                                         "3",
                                         23),
                              "r" },
                            { "REGID_TO_ORIGIN:3", "http://b.example/" },
                            { QByteArray("REG_USER_DATA:3\0key", 19), "u" },
                            { QByteArray("REG_HAS_USER_DATA:key\0"
                                         "3",
                                         23),
                              "" },
                            { "INITDATA_UNIQUE_ORIGIN:http://b.example/", "" } }));
    const qint64 emptied = QDateTime::currentMSecsSinceEpoch() + 60'000;
    QFile later(storage.filePath(
        QStringLiteral("IndexedDB/http_c.example_0.indexeddb.leveldb/000003.log")));
    QVERIFY(later.open(QIODevice::WriteOnly));
    QVERIFY(later.setFileTime(QDateTime::fromMSecsSinceEpoch(emptied + 1000),
                              QFileDevice::FileModificationTime));
    later.close();
    // Registration 2 came after the clearing.
    PageStorage::markOrigins(storage.path(),
                             { removal("http://a.example", OriginRemoval::All, { 1 }),
                               removal("http://b.example", OriginRemoval::WebSql, { 3 }, emptied),
                               removal("http://c.example", 0, {}, emptied) });

    std::unique_ptr<leveldb::DB> holding;
    if (held) {
        leveldb::DB *opened = nullptr;
        QVERIFY(leveldb::DB::Open({}, local.toStdString(), &opened).ok());
        holding.reset(opened);
    }
    QVERIFY(PageStorage::removeIfMarked(storage.path()));
    holding.reset();

    QCOMPARE(PageStorage::originsWithFolders(storage.path()),
             (QStringList { "http://c.example", "http://d.example" }));
    QVERIFY(!storage.exists(bCaches));
    QVERIFY(!storage.exists(QStringLiteral("Session Storage")));
    QCOMPARE(ServiceWorkerDb::registrations(workers),
             (QMultiHash<QString, qint64> { { QStringLiteral("http://a.example"), 2 } }));
    QCOMPARE(keysOf(workers),
             (QByteArrayList { "INITDATA_UNIQUE_ORIGIN:http://a.example/",
                               QByteArray("REG:http://a.example/\0"
                                          "2",
                                          23),
                               "REGID_TO_ORIGIN:2" }));
    // What needs the held local storage waits for a later start, and only that.
    QCOMPARE(PageStorage::originsMarked(storage.path()),
             held
                 ? QList<OriginRemoval> { removal("http://a.example", OriginRemoval::LocalStorage) }
                 : QList<OriginRemoval>());
    QCOMPARE(LocalStorageDb::origins(local),
             held ? (QStringList { "http://a.example", "http://c.example" })
                  : QStringList { "http://c.example" });
}

KESTRAV_TEST_GUILESS_MAIN(tst_SiteDataRules)
#include "tst_sitedatarules.moc"
