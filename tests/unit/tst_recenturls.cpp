#include "history/recenturls.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "recentnames.h"
#include "testsupport.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace RecentNames;

namespace {

// Rows with keys 1, 2, ... in that order.
Rows numbered(const QStringList &values)
{
    Rows rows;
    for (int i = 0; i < values.size(); ++i)
        rows.append({ key(i + 1), values.at(i) });
    return rows;
}

QStringList sites(int from, int to)
{
    QStringList values;
    for (int n = from; n <= to; ++n)
        values.append(QStringLiteral("http://old%1.test/").arg(n));
    return values;
}

// The history, next to the same keys in another section that a write must not touch.
void fill(SettingsStore &store, const Rows &history)
{
    store.SaveSetting(App, QStringLiteral("URL History 2"), key(1), QStringLiteral("other"));
    for (const SettingsStore::Row &row : history)
        store.SaveSetting(App, Section, row.first, row.second);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Makes every write of `failingKey` fail inside SQLite itself, as a full disk would, so that
// the real store's own error path runs. An empty key removes the failure again.
bool setFailingWrite(const QString &path, const QString &failingKey)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "injector");
        db.setDatabaseName(path);
        QSqlQuery query(db);
        ok = db.open() && query.exec("DROP TRIGGER IF EXISTS fail_insert")
            && query.exec("DROP TRIGGER IF EXISTS fail_update");
        const QString body = QStringLiteral(" ON settings WHEN NEW.key = '%1' "
                                            "BEGIN SELECT RAISE(ABORT, 'injected'); END")
                                 .arg(failingKey);
        if (ok && !failingKey.isEmpty())
            ok = query.exec("CREATE TRIGGER fail_insert BEFORE INSERT" + body)
                && query.exec("CREATE TRIGGER fail_update BEFORE UPDATE" + body);
    }
    QSqlDatabase::removeDatabase("injector");
    return ok;
}

} // namespace

class tst_RecentUrls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void write_data();
    void write();
};

void tst_RecentUrls::write_data()
{
    QTest::addColumn<Rows>("before");
    QTest::addColumn<QString>("address");
    QTest::addColumn<Rows>("after"); // in the order of the keys' creation
    QTest::addColumn<QString>("failingKey"); // a write of this key fails in SQLite
    auto row = [](const char *name, const Rows &before, const QString &address, const Rows &after,
                  const QString &failingKey = QString()) {
        QTest::newRow(name) << before << address << after << failingKey;
    };

    const Rows three = numbered(sites(1, 3));
    row("empty address, first run", {}, "", {});
    row("blank address, list kept", three, "     ", three);
    row("first write", {}, "http://a.test/", numbered({ "http://a.test/" }));
    row("surrounding spaces kept", {}, "  http://a.test/?x=1&y=2 ",
        numbered({ "  http://a.test/?x=1&y=2 " }));
    // Only spaces count as blank: a tab is an address like any other.
    row("tab is not a space", {}, "\t", numbered({ "\t" }));
    row("same address twice", three, three.first().second, numbered(sites(1, 1) + sites(1, 3)));
    // Key 10's old value is lost; old key 9 takes its place; no key 11 appears.
    row("eleventh write", numbered(sites(1, 10)), "new",
        numbered(QStringList { "new" } + sites(1, 9)));
    // An empty key is not copied: the key below it keeps its value. Keys 5 and 3 are new,
    // created by the shift in that order.
    row("gap at key 3", { { key(1), "one" }, { key(2), "two" }, { key(4), "four" } }, "new",
        { { key(1), "new" },
          { key(2), "one" },
          { key(4), "four" },
          { key(5), "four" },
          { key(3), "two" } });
    row("key 1 missing", { { key(2), "two" } }, "new",
        { { key(2), "two" }, { key(3), "two" }, { key(1), "new" } });
    // A failure leaves the list as it was: keys already shifted or created are undone.
    row("failure in the middle of the shift", numbered(sites(1, 10)), "new", numbered(sites(1, 10)),
        key(7));
    row("failure at the new head", three, "new", three, key(1));
}

void tst_RecentUrls::write()
{
    QFETCH(Rows, before);
    QFETCH(QString, address);
    QFETCH(Rows, after);
    QFETCH(QString, failingKey);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("settings.sqlite"));
    SqliteSettingsStore store(path);
    // A first run has no file: an empty address must not make one.
    if (!before.isEmpty())
        fill(store, before);
    if (!failingKey.isEmpty())
        QVERIFY(setFailingWrite(path, failingKey));
    const QByteArray bytesBefore = fileBytes(path);

    if (failingKey.isEmpty())
        RecentUrls::write(store, address);
    else
        QVERIFY_THROWS_EXCEPTION(PlatformError, RecentUrls::write(store, address));

    QCOMPARE(store.GetAllSettings(App, Section), after);
    // In the file too, not only as seen through this connection.
    QCOMPARE(SqliteSettingsStore(path).GetAllSettings(App, Section), after);
    if (before == after)
        QCOMPARE(fileBytes(path), bytesBefore);
    if (!before.isEmpty())
        QCOMPARE(store.GetSetting(App, "URL History 2", key(1)), QStringLiteral("other"));
    if (!failingKey.isEmpty()) {
        // No lock is left behind: the same store takes the next write.
        QVERIFY(setFailingWrite(path, QString()));
        RecentUrls::write(store, "next");
        QCOMPARE(store.GetSetting(App, Section, key(1)), QStringLiteral("next"));
    }
}

KESTRAV_TEST_GUILESS_MAIN(tst_RecentUrls)
#include "tst_recenturls.moc"
