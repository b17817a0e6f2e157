#include "history/recenturls.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "settings/keepingsettingsstore.h"
#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

// The settings store as real disks and other programs leave it, behind the store that keeps
// what it cannot write: the program reads what the file holds, goes on writing, is told
// once, and the file keeps everything it held.

namespace {

enum class Damage { RandomBytes, ReadOnlyFile, ReadOnlyFolder, FullDisk, LockedByAnotherCopy };

const QStringList Earlier { u"http://c.test/"_s, u"http://b.test/"_s, u"http://a.test/"_s };

} // namespace

Q_DECLARE_METATYPE(Damage)

class tst_HostileStores : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void settingsStoreFightsBack_data();
    void settingsStoreFightsBack();
    void keptInMemoryReadsAsTheStoreWould();
    void fullDiskKeepsSettingsUntilThereIsRoom();
};

void tst_HostileStores::settingsStoreFightsBack_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("reason"); // part of what the notice says

    QTest::newRow("random bytes") << Damage::RandomBytes << u"file is not a database"_s;
    QTest::newRow("read-only file") << Damage::ReadOnlyFile << u"readonly"_s;
    QTest::newRow("read-only folder") << Damage::ReadOnlyFolder << u"readonly"_s;
    QTest::newRow("full disk") << Damage::FullDisk << u"disk I/O error"_s;
    // The lock is held far longer than a write waits (5 s): the write waits once.
    QTest::newRow("locked by another copy for 30 s") << Damage::LockedByAnotherCopy << u"locked"_s;
}

void tst_HostileStores::settingsStoreFightsBack()
{
    QFETCH(Damage, damage);
    QFETCH(QString, reason);

    QTemporaryDir folder;
    const QString path = folder.filePath(u"settings.sqlite"_s);
    QStringList held = Earlier; // what the file holds and must still hold afterwards
    if (damage == Damage::RandomBytes) {
        QByteArray bytes(64 * 1024, '\0');
        QRandomGenerator generator(30);
        for (char &byte : bytes)
            byte = char(generator.bounded(256));
        QVERIFY(writeAll(path, bytes));
        held.clear();
    } else {
        SqliteSettingsStore store(path);
        for (auto it = Earlier.crbegin(); it != Earlier.crend(); ++it)
            RecentUrls::write(store, *it);
    }
    const QByteArray before = readAll(path);

    QProcess locker;
    if (damage == Damage::LockedByAnotherCopy) {
        locker.start(QCoreApplication::applicationDirPath() + u"/storewriter"_s,
                     { u"lock"_s, path, u"30"_s });
        QVERIFY(locker.waitForReadyRead(10'000));
        QCOMPARE(locker.readLine().trimmed(), QByteArray("ready"));
    }
    if (damage == Damage::ReadOnlyFile)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    if (damage == Damage::ReadOnlyFolder)
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));

    QStringList notices;
    QStringList readAtStart, readAfterWrites;
    const auto run = [&] {
        KeepingSettingsStore store(std::make_shared<SqliteSettingsStore>(path),
                                   [&](const QString &notice) { notices.append(notice); });
        readAtStart = RecentUrls::read(store);
        RecentUrls::write(store, u"http://new1.test/"_s);
        RecentUrls::write(store, u"http://new2.test/"_s);
        readAfterWrites = RecentUrls::read(store);
    };
    const auto runDamaged = [&] {
        if (damage == Damage::FullDisk)
            return withFileSizeLimit(1024, run);
        return withFilePermissions(run);
    };
    QVERIFY(runDamaged());
    locker.kill();
    locker.waitForFinished();
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    // The program started with what the file held, and this run sees its own writes.
    QCOMPARE(readAtStart, held);
    QCOMPARE(readAfterWrites,
             (QStringList { u"http://new2.test/"_s, u"http://new1.test/"_s } + held));
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(reason) && notices.first().contains(path),
             qPrintable(notices.first()));
    // Nothing the file held is lost, or even touched.
    QCOMPARE(readAll(path), before);
    QCOMPARE(RecentUrls::read(SqliteSettingsStore(path)), held);
}

void tst_HostileStores::keptInMemoryReadsAsTheStoreWould()
{
    // The same changes to the real store and to memory (after a refusal) read back alike.
    QTemporaryDir folder;
    const QString app = u"app"_s, section = u"section"_s;
    const auto change = [&](SettingsStore &store) {
        store.SaveSetting(app, section, u"a"_s, u"1"_s);
        store.SaveSetting(app, section, u"b"_s, u"2"_s);
        store.SaveSetting(app, section, u"c"_s, u"3"_s);
        store.DeleteSetting(app, section, u"a"_s);
        store.SaveSetting(app, section, u"b"_s, u"two"_s);
        store.SaveSetting(app, section, u"a"_s, u"again"_s); // a new key: it enumerates last
        store.DeleteSetting(app, section, u"c"_s);
        store.SaveSetting(app, u"other"_s, u"a"_s, u"elsewhere"_s);
    };
    // Both files hold the same keys first; then one of them takes no more writes.
    SqliteSettingsStore real(folder.filePath(u"real.sqlite"_s));
    const QString refusing = folder.filePath(u"refusing.sqlite"_s);
    for (const QString &path : { real.filePath(), refusing }) {
        SqliteSettingsStore store(path);
        store.SaveSetting(app, section, u"c"_s, u"0"_s);
        store.SaveSetting(app, section, u"d"_s, u"4"_s);
    }
    change(real);
    QVERIFY(QFile::setPermissions(refusing, QFile::ReadOwner));

    int notices = 0;
    KeepingSettingsStore kept(std::make_shared<SqliteSettingsStore>(refusing),
                              [&](const QString &) { ++notices; });
    QVERIFY(withFilePermissions([&] { change(kept); }));

    QVERIFY(kept.keepsInMemory());
    QCOMPARE(notices, 1);
    QCOMPARE(kept.GetAllSettings(app, section), real.GetAllSettings(app, section));
    QCOMPARE(kept.GetAllSettings(app, u"other"_s), real.GetAllSettings(app, u"other"_s));
    for (const QString &key : { u"a"_s, u"b"_s, u"c"_s, u"d"_s })
        QCOMPARE(kept.GetSetting(app, section, key), real.GetSetting(app, section, key));
}

void tst_HostileStores::fullDiskKeepsSettingsUntilThereIsRoom()
{
    SmallDisk disk(1024 * 1024);
    KESTRAV_REQUIRE_DISK(disk);
    const QString path = disk.path() + u"/settings.sqlite"_s;
    const QString app = u"app"_s, section = u"section"_s;
    QStringList notices;
    {
        KeepingSettingsStore store(std::make_shared<SqliteSettingsStore>(path),
                                   [&](const QString &notice) { notices.append(notice); });
        store.SaveSetting(app, section, u"before"_s, u"1"_s);
        QVERIFY(disk.fill());
        // Large enough to need pages the disk no longer has.
        for (const QString &key : { u"a"_s, u"b"_s, u"c"_s })
            store.SaveSetting(app, section, key, QString(8192, key.at(0)));
        store.DeleteSetting(app, section, u"before"_s);
        QCOMPARE(notices,
                 QStringList { u"The disk holding %1 is full: settings are kept in memory until "
                               "there is room."_s.arg(QDir::toNativeSeparators(disk.path())) });
        QCOMPARE(store.GetSetting(app, section, u"b"_s), QString(8192, u'b'));
        QCOMPARE(SqliteSettingsStore(path).GetSetting(app, section, u"before"_s), u"1"_s);

        // The next write after room comes back writes everything, in one unit.
        disk.free();
        store.SaveSetting(app, section, u"d"_s, u"4"_s);
        QCOMPARE(notices.size(), 2);
        QCOMPARE(notices.last(), QString());
    }
    const QList<SettingsStore::Row> rows = SqliteSettingsStore(path).GetAllSettings(app, section);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0).first, u"a"_s);
    QCOMPARE(rows.at(2).second, QString(8192, u'c'));
    QCOMPARE(rows.at(3), SettingsStore::Row(u"d"_s, u"4"_s));
}

KESTRAV_TEST_GUILESS_MAIN(tst_HostileStores)
#include "tst_hostilestores.moc"
