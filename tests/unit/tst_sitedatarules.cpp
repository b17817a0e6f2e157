#include "platform/desktop/webengine/localstoragedb.h"
#include "platform/desktop/webengine/pagestorage.h"
#include "sitedata/clearchoice.h"
#include "sitedata/sitelist.h"
#include "testsupport.h"

#include <leveldb/db.h>
#include <memory>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// Which addresses a span clears, the host names accepted for a site, and the pages' storage
// removed at a start only when marked, all of it or a site's.
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

    PageStorage::markForRemoval(storage.path());
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
    QCOMPARE(PageStorage::hostsWithStorage(storage.path()), kept);
    QVERIFY(!QFileInfo::exists(markPath));
    QVERIFY(storage.exists(QStringLiteral("databases/not an origin")));
    QVERIFY(!PageStorage::removeIfMarked(storage.path()));

    PageStorage::markSiteForRemoval(storage.path(), QStringLiteral("Nota.Example"));
    PageStorage::markSiteForRemoval(storage.path(), QStringLiteral("nota.example"));
    QCOMPARE(PageStorage::sitesMarked(storage.path()), QStringList { "nota.example" });
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
    PageStorage::markSiteForRemoval(folder.path(), QStringLiteral("a.example"));

    // Another running copy holds the database: the user's removal waits for a later start.
    PageStorage::removeIfMarked(folder.path());
    QCOMPARE(PageStorage::sitesMarked(folder.path()), QStringList { "a.example" });

    held.reset();
    QCOMPARE(LocalStorageDb::origins(database), QStringList { "http://a.example" });
    PageStorage::removeIfMarked(folder.path());
    QVERIFY(PageStorage::sitesMarked(folder.path()).isEmpty());
    QVERIFY(LocalStorageDb::origins(database).isEmpty());
}

KESTRAV_TEST_GUILESS_MAIN(tst_SiteDataRules)
#include "tst_sitedatarules.moc"
