#include "platform/desktop/webengine/pagestorage.h"
#include "sitedata/clearchoice.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Which addresses a span clears, and the pages' storage removed at a start only when marked.
class tst_SiteDataRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addressesShownInSpan_data();
    void addressesShownInSpan();
    void storageRemovedOnlyWhenMarked();
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

KESTRAV_TEST_GUILESS_MAIN(tst_SiteDataRules)
#include "tst_sitedatarules.moc"
