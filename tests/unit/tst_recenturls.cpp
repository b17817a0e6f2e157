#include "fakesettingsstore.h"
#include "platformerror.h"
#include "recenturls.h"
#include "sqlitesettingsstore.h"

#include <memory>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using Rows = QList<SettingsStore::Row>;

namespace {

// Written out here rather than taken from the code under test, so that a wrong name fails.
const QString App = QStringLiteral("ZivaruruviVO");
const QString Section = QStringLiteral("URL History");

QString key(int n)
{
    return QStringLiteral("URLHistory%1").arg(n);
}

// Rows of the history section, one per value, with keys 1, 2, ... in that order.
Rows numbered(const QStringList &values)
{
    Rows rows;
    for (int i = 0; i < values.size(); ++i)
        rows.append({ key(i + 1), values.at(i) });
    return rows;
}

QStringList tenOld()
{
    QStringList values;
    for (int i = 1; i <= 10; ++i)
        values.append(QStringLiteral("http://old%1.test/").arg(i));
    return values;
}

// Entries next to the history that a write must neither read nor change.
const Rows Neighbours = { { key(1), QStringLiteral("other section") },
                          { key(2), QStringLiteral("other section 2") } };
const QString NeighbourSection = QStringLiteral("URL History 2");
const QString NeighbourApp = QStringLiteral("AnotherApplication");

void fill(SettingsStore &store, const Rows &history)
{
    for (const SettingsStore::Row &row : Neighbours) {
        store.SaveSetting(App, NeighbourSection, row.first, row.second);
        store.SaveSetting(NeighbourApp, Section, row.first, row.second);
    }
    for (const SettingsStore::Row &row : history)
        store.SaveSetting(App, Section, row.first, row.second);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Makes every write of `failingKey` in the store's file fail inside SQLite itself, as a full
// disk or an I/O error would, so that the real store's own error path runs. An empty key
// removes the failure again.
bool setFailingWrite(const QString &path, const QString &failingKey)
{
    const QString name = QStringLiteral("failure-injector");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(QStringLiteral("DROP TRIGGER IF EXISTS fail_insert"))
                && query.exec(QStringLiteral("DROP TRIGGER IF EXISTS fail_update"));
            if (ok && !failingKey.isEmpty()) {
                const QString body = QStringLiteral(" ON settings WHEN NEW.key = '%1' "
                                                    "BEGIN SELECT RAISE(ABORT, 'injected'); END")
                                         .arg(failingKey);
                ok = query.exec(QStringLiteral("CREATE TRIGGER fail_insert BEFORE INSERT") + body)
                    && query.exec(QStringLiteral("CREATE TRIGGER fail_update BEFORE UPDATE")
                                  + body);
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

class tst_RecentUrls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void write_data();
    void write();
    void failedShiftChangesNothing_data();
    void failedShiftChangesNothing();
};

void tst_RecentUrls::write_data()
{
    QTest::addColumn<Rows>("before");
    QTest::addColumn<QString>("address");
    // The section afterwards, in the order of the keys' creation.
    QTest::addColumn<Rows>("after");

    const Rows three = numbered({ "http://a.test/", "http://b.test/", "http://c.test/" });

    QTest::newRow("empty address, first run") << Rows() << "" << Rows();
    QTest::newRow("empty address, list kept") << three << "" << three;
    QTest::newRow("blank address") << three << "     " << three;
    QTest::newRow("single space, first run") << Rows() << " " << Rows();

    QTest::newRow("first write") << Rows() << "http://a.test/" << numbered({ "http://a.test/" });
    QTest::newRow("surrounding spaces kept")
        << Rows() << "  http://a.test/ " << numbered({ "  http://a.test/ " });
    // Only spaces are trimmed for the emptiness test: a tab is an address like any other.
    QTest::newRow("tab is not a space") << Rows() << "\t" << numbered({ "\t" });
    QTest::newRow("stored as passed") << Rows() << "HTTP://Exämple.test/a b?x=1&y=\"2\""
                                      << numbered({ "HTTP://Exämple.test/a b?x=1&y=\"2\"" });

    QTest::newRow("same address twice") << numbered({ "http://a.test/" }) << "http://a.test/"
                                        << numbered({ "http://a.test/", "http://a.test/" });
    QTest::newRow("no duplicate check further down")
        << three << "http://b.test/"
        << numbered({ "http://b.test/", "http://a.test/", "http://b.test/", "http://c.test/" });

    QStringList nine = tenOld().mid(0, 9);
    QTest::newRow("tenth write fills key 10")
        << numbered(nine) << "http://new.test/"
        << numbered(QStringList { "http://new.test/" } + nine);

    // Key 10's old value is lost; old key 9 takes its place; no key 11 appears.
    QTest::newRow("eleventh write") << numbered(tenOld()) << "http://new.test/"
                                    << numbered(QStringList { "http://new.test/" } + nine);

    // An empty key is not copied: the key below it keeps its value. Keys 5 and 3 are new,
    // created by the shift in that order.
    QTest::newRow("gap at key 3") << Rows { { key(1), "one" },
                                            { key(2), "two" },
                                            { key(4), "four" } }
                                  << "new"
                                  << Rows { { key(1), "new" },
                                            { key(2), "one" },
                                            { key(4), "four" },
                                            { key(5), "four" },
                                            { key(3), "two" } };
    QTest::newRow("key 1 missing")
        << Rows { { key(2), "two" } } << "new"
        << Rows { { key(2), "two" }, { key(3), "two" }, { key(1), "new" } };
    // Edited outside as a key holding empty text: like a missing one, it is not copied.
    QTest::newRow("empty value at key 1")
        << Rows { { key(1), "" }, { key(2), "two" } } << "new"
        << Rows { { key(1), "new" }, { key(2), "two" }, { key(3), "two" } };
}

void tst_RecentUrls::write()
{
    QFETCH(Rows, before);
    QFETCH(QString, address);
    QFETCH(Rows, after);
    const bool untouched = before == after;

    {
        FakeSettingsStore store;
        fill(store, before);
        const int savesBefore = store.saveCount();

        RecentUrls::write(store, address);

        QCOMPARE(store.GetAllSettings(App, Section), after);
        QCOMPARE(store.GetAllSettings(App, NeighbourSection), Neighbours);
        QCOMPARE(store.GetAllSettings(NeighbourApp, Section), Neighbours);
        if (untouched)
            QCOMPARE(store.saveCount(), savesBefore);
    }

    // The real store: the same result, in the same enumeration order.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("settings.sqlite"));
    const bool emptyStore = before.isEmpty();
    {
        SqliteSettingsStore store(path);
        // A first run has no file: an empty address must not make one.
        if (!emptyStore)
            fill(store, before);
        const QByteArray bytesBefore = fileBytes(path);

        RecentUrls::write(store, address);

        QCOMPARE(store.GetAllSettings(App, Section), after);
        if (untouched)
            QCOMPARE(fileBytes(path), bytesBefore);
    }
    SqliteSettingsStore reopened(path);
    QCOMPARE(reopened.GetAllSettings(App, Section), after);
}

void tst_RecentUrls::failedShiftChangesNothing_data()
{
    QTest::addColumn<Rows>("before");
    // The failing write, counted from the first write of the shift, and its key.
    QTest::addColumn<int>("writesBeforeFailure");
    QTest::addColumn<QString>("failingKey");

    const Rows full = numbered(tenOld());
    QTest::newRow("full list, first shift") << full << 0 << key(10);
    QTest::newRow("full list, middle of shift") << full << 3 << key(7);
    QTest::newRow("full list, last shift") << full << 8 << key(2);
    QTest::newRow("full list, new head") << full << 9 << key(1);
    // Keys that the shift creates vanish again.
    const Rows three = numbered({ "http://a.test/", "http://b.test/", "http://c.test/" });
    QTest::newRow("short list, new key") << three << 0 << key(4);
    QTest::newRow("short list, new head") << three << 3 << key(1);
    QTest::newRow("first run, new head") << Rows() << 0 << key(1);
}

void tst_RecentUrls::failedShiftChangesNothing()
{
    QFETCH(Rows, before);
    QFETCH(int, writesBeforeFailure);
    QFETCH(QString, failingKey);

    {
        FakeSettingsStore store;
        fill(store, before);
        store.failWritesAfter(writesBeforeFailure);
        QVERIFY_THROWS_EXCEPTION(PlatformError, RecentUrls::write(store, "http://new.test/"));
        QCOMPARE(store.GetAllSettings(App, Section), before);
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("settings.sqlite"));
    SqliteSettingsStore store(path);
    fill(store, before);
    QVERIFY(setFailingWrite(path, failingKey));

    QVERIFY_THROWS_EXCEPTION(PlatformError, RecentUrls::write(store, "http://new.test/"));
    QCOMPARE(store.GetAllSettings(App, Section), before);
    {
        // Undone in the file, not only as seen through the failed connection.
        SqliteSettingsStore reopened(path);
        QCOMPARE(reopened.GetAllSettings(App, Section), before);
    }

    // No lock is left behind, and the same store takes the next write once the cause is gone.
    QVERIFY(setFailingWrite(path, QString()));
    RecentUrls::write(store, "http://new.test/");
    QCOMPARE(store.GetSetting(App, Section, key(1)), QStringLiteral("http://new.test/"));
}

QTEST_GUILESS_MAIN(tst_RecentUrls)
#include "tst_recenturls.moc"
