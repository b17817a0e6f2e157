#include "platform/desktop/webengine/pagestorage.h"
#include "sitedata/clearchoice.h"
#include "sitedata/sitelist.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Which sites are listed with what, which addresses a span clears, and the pages' storage
// removed at a start only when marked.
class tst_SiteDataRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sitesListed_data();
    void sitesListed();
    void addressesShownInSpan_data();
    void addressesShownInSpan();
    void storageRemovedOnlyWhenMarked();
};

void tst_SiteDataRules::sitesListed_data()
{
    QTest::addColumn<QStringList>("cookieDomains");
    QTest::addColumn<QStringList>("answerSites");
    QTest::addColumn<QStringList>("exceptions");
    QTest::addColumn<QStringList>("listed"); // "<site> <cookies> <answers> <exception>"

    QTest::newRow("a dotted domain is its site")
        << QStringList { ".Shop.Example", "shop.example" } << QStringList() << QStringList()
        << QStringList { "shop.example 2 0 0" };
    QTest::newRow("answers and exceptions without cookies, sorted")
        << QStringList { "z.example" } << QStringList { "B.example", "b.example" }
        << QStringList { "a.example" }
        << QStringList { "a.example 0 0 1", "b.example 0 2 0", "z.example 1 0 0" };
}

void tst_SiteDataRules::sitesListed()
{
    QFETCH(QStringList, cookieDomains);
    QFETCH(QStringList, answerSites);
    QFETCH(QStringList, exceptions);
    QFETCH(QStringList, listed);

    QList<StoredCookie> cookies;
    for (const QString &domain : cookieDomains)
        cookies.append({ domain, QStringLiteral("/"), "c" });
    QList<SitePermissions::Answer> answers;
    for (const QString &site : answerSites)
        answers.append({ site, SitePermissions::Permission::Camera, true });
    QStringList got;
    for (const SiteList::Site &site : SiteList::sites(cookies, answers, exceptions))
        got.append(QStringLiteral("%1 %2 %3 %4")
                       .arg(site.name)
                       .arg(site.cookies.size())
                       .arg(site.answers.size())
                       .arg(int(site.thirdPartyCookies)));
    QCOMPARE(got, listed);
}

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

KESTRAV_TEST_GUILESS_MAIN(tst_SiteDataRules)
#include "tst_sitedatarules.moc"
