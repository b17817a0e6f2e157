#include "fakesettingsstore.h"
#include "platformerror.h"
#include "sqlitesettingsstore.h"

#include <memory>
#include <optional>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

using namespace Qt::StringLiterals;

using Rows = QList<SettingsStore::Row>;

// How a unit of writes ends.
enum class UnitEnd { Completes, PlatformFailure, OtherFailure };
Q_DECLARE_METATYPE(UnitEnd)

namespace {

const QString App = QStringLiteral("ZivaruruviVO");
const QString Section = QStringLiteral("URL History");

template<typename Work> std::optional<PlatformError> platformErrorOf(Work &&work)
{
    try {
        work();
    } catch (const PlatformError &error) {
        return error;
    }
    return std::nullopt;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// Another program's SQLite database that happens to use our table's shape.
bool writeForeignDatabase(const QString &path)
{
    const QString name = QStringLiteral("foreign-writer");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(
                     QStringLiteral("CREATE TABLE settings (application, section, key, value)"))
                && query.exec(QStringLiteral("INSERT INTO settings VALUES "
                                             "('ZivaruruviVO', 'URL History', 'URLHistory1', "
                                             "'theirs')"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();

    // The contract, run against the SQLite store and the test double alike.
    void missingKeyReadsEmpty_data();
    void missingKeyReadsEmpty();
    void keysEnumerateInCreationOrder_data();
    void keysEnumerateInCreationOrder();
    void overwriteKeepsPlaceAndChangesValue_data();
    void overwriteKeepsPlaceAndChangesValue();
    void valuesRoundTripExactly_data();
    void valuesRoundTripExactly();
    void locationsAreKeptApart_data();
    void locationsAreKeptApart();
    void transactionIsAllOrNothing_data();
    void transactionIsAllOrNothing();
    void failedNestedUnitUndoesOnlyItself_data();
    void failedNestedUnitUndoesOnlyItself();

    // The test double's failure switch.
    void fakeWriteFailureMidTransactionUndoesEarlierWrites();

    // The SQLite file.
    void readsCreateNoFile();
    void storesOnOneFileSeeEachOther();
    void writeWaitsForAnotherCopysLock();
    void unusableFileIsLeftUntouched_data();
    void unusableFileIsLeftUntouched();
    void unwritableLocationFails_data();
    void unwritableLocationFails();

private:
    void addImplementations();
    std::unique_ptr<SettingsStore> makeStore(const QString &implementation) const;
    QString storePath() const { return m_dir->filePath(QStringLiteral("settings.sqlite")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_SettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_SettingsStore::addImplementations()
{
    QTest::addColumn<QString>("implementation");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("fake") << QStringLiteral("fake");
}

std::unique_ptr<SettingsStore> tst_SettingsStore::makeStore(const QString &implementation) const
{
    if (implementation == QLatin1String("sqlite"))
        return std::make_unique<SqliteSettingsStore>(storePath());
    return std::make_unique<FakeSettingsStore>();
}

void tst_SettingsStore::missingKeyReadsEmpty_data()
{
    QTest::addColumn<QString>("implementation");
    QTest::addColumn<QStringList>("storedKeys");
    QTest::addColumn<QString>("missingKey");
    for (const QString &implementation : { u"sqlite"_s, u"fake"_s }) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(implementation), name) << implementation;
        };
        row("empty store") << QStringList() << u"URLHistory1"_s;
        row("other keys stored") << QStringList { u"URLHistory1"_s, u"URLHistory2"_s }
                                 << u"URLHistory3"_s;
        row("stored key is longer") << QStringList { u"URLHistory10"_s } << u"URLHistory1"_s;
        row("stored key is shorter") << QStringList { u"URLHistory1"_s } << u"URLHistory10"_s;
        row("pattern characters") << QStringList { u"URLHistory1"_s } << u"URLHistory%"_s;
    }
}

void tst_SettingsStore::missingKeyReadsEmpty()
{
    QFETCH(QString, implementation);
    QFETCH(QStringList, storedKeys);
    QFETCH(QString, missingKey);

    auto store = makeStore(implementation);
    for (const QString &key : storedKeys)
        store->SaveSetting(App, Section, key, u"http://example.com/"_s + key);

    const QString value = store->GetSetting(App, Section, missingKey);
    QVERIFY(value.isEmpty());
    QCOMPARE(store->GetAllSettings(App, u"Another Section"_s), Rows());
    QCOMPARE(store->GetAllSettings(App, Section).size(), storedKeys.size());
}

void tst_SettingsStore::keysEnumerateInCreationOrder_data()
{
    QTest::addColumn<QString>("implementation");
    QTest::addColumn<QStringList>("keys");
    QStringList twelve;
    for (int n = 1; n <= 12; ++n)
        twelve.append(u"URLHistory"_s + QString::number(n));
    for (const QString &implementation : { u"sqlite"_s, u"fake"_s }) {
        QTest::addRow("%s: URLHistory1 to URLHistory12", qPrintable(implementation))
            << implementation << twelve;
        QTest::addRow("%s: neither sorted nor reversed", qPrintable(implementation))
            << implementation << QStringList { u"b"_s, u"c"_s, u"a"_s, u"B"_s };
    }
}

void tst_SettingsStore::keysEnumerateInCreationOrder()
{
    QFETCH(QString, implementation);
    QFETCH(QStringList, keys);

    auto store = makeStore(implementation);
    Rows expected;
    for (const QString &key : keys) {
        const QString value = u"value of "_s + key;
        store->SaveSetting(App, Section, key, value);
        expected.append({ key, value });
    }
    QCOMPARE(store->GetAllSettings(App, Section), expected);
}

void tst_SettingsStore::overwriteKeepsPlaceAndChangesValue_data()
{
    QTest::addColumn<QString>("implementation");
    QTest::addColumn<int>("overwritten");
    for (const QString &implementation : { u"sqlite"_s, u"fake"_s }) {
        QTest::addRow("%s: first key", qPrintable(implementation)) << implementation << 0;
        QTest::addRow("%s: middle key", qPrintable(implementation)) << implementation << 1;
        QTest::addRow("%s: last key", qPrintable(implementation)) << implementation << 2;
    }
}

void tst_SettingsStore::overwriteKeepsPlaceAndChangesValue()
{
    QFETCH(QString, implementation);
    QFETCH(int, overwritten);

    auto store = makeStore(implementation);
    Rows expected { { u"URLHistory1"_s, u"one"_s },
                    { u"URLHistory2"_s, u"two"_s },
                    { u"URLHistory3"_s, u"three"_s } };
    for (const auto &[key, value] : expected)
        store->SaveSetting(App, Section, key, value);

    expected[overwritten].second = u"replaced"_s;
    store->SaveSetting(App, Section, expected[overwritten].first, u"replaced"_s);

    QCOMPARE(store->GetSetting(App, Section, expected[overwritten].first), u"replaced"_s);
    QCOMPARE(store->GetAllSettings(App, Section), expected);
}

void tst_SettingsStore::valuesRoundTripExactly_data()
{
    QTest::addColumn<QString>("implementation");
    QTest::addColumn<QString>("value");
    for (const QString &implementation : { u"sqlite"_s, u"fake"_s }) {
        auto row = [&](const char *name, const QString &value) {
            QTest::addRow("%s: %s", qPrintable(implementation), name) << implementation << value;
        };
        row("surrounding spaces", u"  http://example.com/  "_s);
        row("ampersand and equals", u"http://example.com/?a=1&b=2&amp;c"_s);
        row("quotes and SQL", u"it's \"quoted\"'); DROP TABLE settings; --"_s);
        row("non-ASCII", u"http://例え.テスト/Zürich–Ωμέγα😀"_s);
        row("line breaks and tab", u"a\r\nb\nc\rd\te"_s);
        row("placeholders and backslashes", u"%1 %2 \\n C:\\dir\\"_s);
        row("empty text", u""_s);
        row("long text", QString(5000, u'x') + u"end"_s);
    }
}

void tst_SettingsStore::valuesRoundTripExactly()
{
    QFETCH(QString, implementation);
    QFETCH(QString, value);

    auto store = makeStore(implementation);
    store->SaveSetting(App, Section, u"URLHistory1"_s, value);

    QCOMPARE(store->GetSetting(App, Section, u"URLHistory1"_s), value);
    QCOMPARE(store->GetAllSettings(App, Section), (Rows { { u"URLHistory1"_s, value } }));
}

void tst_SettingsStore::locationsAreKeptApart_data()
{
    QTest::addColumn<QString>("implementation");
    QTest::addColumn<QStringList>("first"); // application, section
    QTest::addColumn<QStringList>("second"); // application, section
    for (const QString &implementation : { u"sqlite"_s, u"fake"_s }) {
        auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s: %s", qPrintable(implementation), name) << implementation;
        };
        row("one section in two applications")
            << QStringList { App, Section } << QStringList { u"Other"_s, Section };
        row("two sections of one application")
            << QStringList { App, Section } << QStringList { App, u"Favorites"_s };
        row("names that join alike")
            << QStringList { u"ab"_s, u"c"_s } << QStringList { u"a"_s, u"bc"_s };
        row("names that differ in spaces")
            << QStringList { App, Section } << QStringList { App, u"URLHistory"_s };
    }
}

void tst_SettingsStore::locationsAreKeptApart()
{
    QFETCH(QString, implementation);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);

    auto store = makeStore(implementation);
    const QString key = u"URLHistory1"_s;
    store->SaveSetting(first[0], first[1], key, u"first"_s);
    store->SaveSetting(second[0], second[1], key, u"second"_s);
    store->SaveSetting(second[0], second[1], u"URLHistory2"_s, u"second only"_s);

    QCOMPARE(store->GetSetting(first[0], first[1], key), u"first"_s);
    QCOMPARE(store->GetSetting(second[0], second[1], key), u"second"_s);
    QCOMPARE(store->GetSetting(first[0], first[1], u"URLHistory2"_s), QString());
    QCOMPARE(store->GetAllSettings(first[0], first[1]), (Rows { { key, u"first"_s } }));
    QCOMPARE(store->GetAllSettings(second[0], second[1]),
             (Rows { { key, u"second"_s }, { u"URLHistory2"_s, u"second only"_s } }));
}

void tst_SettingsStore::transactionIsAllOrNothing_data()
{
    QTest::addColumn<QString>("implementation");
    QTest::addColumn<UnitEnd>("end");
    for (const QString &implementation : { u"sqlite"_s, u"fake"_s }) {
        QTest::addRow("%s: completes", qPrintable(implementation))
            << implementation << UnitEnd::Completes;
        QTest::addRow("%s: platform error", qPrintable(implementation))
            << implementation << UnitEnd::PlatformFailure;
        QTest::addRow("%s: other exception", qPrintable(implementation))
            << implementation << UnitEnd::OtherFailure;
    }
}

void tst_SettingsStore::transactionIsAllOrNothing()
{
    QFETCH(QString, implementation);
    QFETCH(UnitEnd, end);

    auto store = makeStore(implementation);
    store->SaveSetting(App, Section, u"URLHistory1"_s, u"old one"_s);
    const Rows before = store->GetAllSettings(App, Section);

    bool platformErrorSeen = false;
    bool otherErrorSeen = false;
    try {
        store->transaction([&] {
            store->SaveSetting(App, Section, u"URLHistory2"_s, u"old one"_s);
            store->SaveSetting(App, Section, u"URLHistory1"_s, u"new one"_s);
            // Inside the unit its own writes are visible.
            QCOMPARE(store->GetSetting(App, Section, u"URLHistory1"_s), u"new one"_s);
            if (end == UnitEnd::PlatformFailure)
                throw PlatformError(ErrorCode::PathFileAccess, u"disk full"_s);
            if (end == UnitEnd::OtherFailure)
                throw std::runtime_error("interrupted");
        });
    } catch (const PlatformError &error) {
        platformErrorSeen = true;
        QCOMPARE(error.description(), u"disk full"_s);
    } catch (const std::runtime_error &) {
        otherErrorSeen = true;
    }
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(platformErrorSeen, end == UnitEnd::PlatformFailure);
    QCOMPARE(otherErrorSeen, end == UnitEnd::OtherFailure);
    if (end == UnitEnd::Completes) {
        QCOMPARE(store->GetAllSettings(App, Section),
                 (Rows { { u"URLHistory1"_s, u"new one"_s }, { u"URLHistory2"_s, u"old one"_s } }));
    } else {
        QCOMPARE(store->GetAllSettings(App, Section), before);
    }
    // The store is usable again after a failed unit.
    store->SaveSetting(App, Section, u"URLHistory3"_s, u"later"_s);
    QCOMPARE(store->GetSetting(App, Section, u"URLHistory3"_s), u"later"_s);
}

void tst_SettingsStore::failedNestedUnitUndoesOnlyItself_data()
{
    addImplementations();
}

void tst_SettingsStore::failedNestedUnitUndoesOnlyItself()
{
    QFETCH(QString, implementation);

    auto store = makeStore(implementation);
    store->transaction([&] {
        store->SaveSetting(App, Section, u"outer"_s, u"kept"_s);
        try {
            store->transaction([&] {
                store->SaveSetting(App, Section, u"inner"_s, u"undone"_s);
                store->SaveSetting(App, Section, u"outer"_s, u"undone"_s);
                throw PlatformError(ErrorCode::PathFileAccess, u"inner failure"_s);
            });
        } catch (const PlatformError &) {
        }
        store->SaveSetting(App, Section, u"after"_s, u"kept"_s);
    });
    QCOMPARE(store->GetAllSettings(App, Section),
             (Rows { { u"outer"_s, u"kept"_s }, { u"after"_s, u"kept"_s } }));
}

void tst_SettingsStore::fakeWriteFailureMidTransactionUndoesEarlierWrites()
{
    FakeSettingsStore store;
    store.SaveSetting(App, Section, u"URLHistory1"_s, u"a"_s);
    store.failWritesAfter(2);

    int writesDone = 0;
    const auto error = platformErrorOf([&] {
        store.transaction([&] {
            for (int n = 2; n <= 5; ++n) {
                store.SaveSetting(App, Section, u"URLHistory"_s + QString::number(n), u"x"_s);
                ++writesDone;
            }
        });
    });
    QVERIFY(error);
    QCOMPARE(writesDone, 2);
    QCOMPARE(store.GetAllSettings(App, Section), (Rows { { u"URLHistory1"_s, u"a"_s } }));

    // Failing stays on until cleared, as with a full disk.
    QVERIFY(platformErrorOf([&] { store.SaveSetting(App, Section, u"k"_s, u"v"_s); }));
    store.clearWriteFailure();
    store.SaveSetting(App, Section, u"k"_s, u"v"_s);
    QCOMPARE(store.GetSetting(App, Section, u"k"_s), u"v"_s);
}

void tst_SettingsStore::readsCreateNoFile()
{
    const QString folder = m_dir->filePath(u"kestrav"_s);
    const QString path = folder + u"/settings.sqlite"_s;
    SqliteSettingsStore store(path);

    QCOMPARE(store.GetSetting(App, Section, u"URLHistory1"_s), QString());
    QCOMPARE(store.GetAllSettings(App, Section), Rows());
    QVERIFY(!QFileInfo::exists(folder));

    store.SaveSetting(App, Section, u"URLHistory1"_s, u"http://example.com/"_s);
    QVERIFY(QFileInfo(path).isFile());
}

void tst_SettingsStore::storesOnOneFileSeeEachOther()
{
    SqliteSettingsStore first(storePath());
    SqliteSettingsStore second(storePath());

    first.SaveSetting(App, Section, u"URLHistory1"_s, u"from first"_s);
    QCOMPARE(second.GetSetting(App, Section, u"URLHistory1"_s), u"from first"_s);
    second.SaveSetting(App, Section, u"URLHistory2"_s, u"from second"_s);
    second.SaveSetting(App, Section, u"URLHistory1"_s, u"overwritten by second"_s);
    first.SaveSetting(App, Section, u"URLHistory3"_s, u"from first again"_s);

    const Rows expected { { u"URLHistory1"_s, u"overwritten by second"_s },
                          { u"URLHistory2"_s, u"from second"_s },
                          { u"URLHistory3"_s, u"from first again"_s } };
    QCOMPARE(first.GetAllSettings(App, Section), expected);
    QCOMPARE(second.GetAllSettings(App, Section), expected);
    // and a later run finds them too
    QCOMPARE(SqliteSettingsStore(storePath()).GetAllSettings(App, Section), expected);
}

void tst_SettingsStore::writeWaitsForAnotherCopysLock()
{
    const QString path = storePath();
    SqliteSettingsStore store(path);
    store.SaveSetting(App, Section, u"URLHistory1"_s, u"mine first"_s);

    // The other copy runs in a thread of its own: this thread is blocked inside SQLite while
    // it waits, so the lock must be released from elsewhere.
    constexpr int HoldMs = 700;
    QSemaphore locked;
    QString otherCopyFailure;
    std::unique_ptr<QThread> otherCopy(QThread::create([&] {
        try {
            SqliteSettingsStore other(path);
            other.transaction([&] {
                other.SaveSetting(App, Section, u"URLHistory2"_s, u"theirs"_s);
                locked.release();
                QThread::msleep(HoldMs);
            });
        } catch (const PlatformError &error) {
            otherCopyFailure = error.description();
            locked.release();
        }
    }));
    otherCopy->start();
    QVERIFY(locked.tryAcquire(1, 10000));

    QElapsedTimer waited;
    waited.start();
    const auto error = platformErrorOf(
        [&] { store.SaveSetting(App, Section, u"URLHistory3"_s, u"mine later"_s); });
    const qint64 elapsed = waited.elapsed();
    QVERIFY(otherCopy->wait(10000));
    QVERIFY2(otherCopyFailure.isEmpty(), qPrintable(otherCopyFailure));

    QVERIFY2(!error, qPrintable(error ? error->description() : QString()));
    QVERIFY2(elapsed >= HoldMs / 2, qPrintable(QString::number(elapsed)));
    QCOMPARE(store.GetAllSettings(App, Section),
             (Rows { { u"URLHistory1"_s, u"mine first"_s },
                     { u"URLHistory2"_s, u"theirs"_s },
                     { u"URLHistory3"_s, u"mine later"_s } }));
}

void tst_SettingsStore::unusableFileIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("foreignDatabase");
    QTest::newRow("random bytes") << randomBytes(8192, 7) << false;
    QTest::newRow("text file") << QByteArray("URLHistory1=http://example.com/\r\n") << false;
    QTest::newRow("SQLite header over garbage")
        << QByteArray("SQLite format 3\0", 16) + randomBytes(4080, 11) << false;
    QTest::newRow("another program's database") << QByteArray() << true;
}

void tst_SettingsStore::unusableFileIsLeftUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, foreignDatabase);

    const QString path = storePath();
    if (foreignDatabase)
        QVERIFY(writeForeignDatabase(path));
    else
        QVERIFY(writeFile(path, content));
    const QByteArray before = readAll(path);
    QVERIFY(!before.isEmpty());

    {
        SqliteSettingsStore store(path);
        QCOMPARE(store.GetSetting(App, Section, u"URLHistory1"_s), QString());
        QCOMPARE(store.GetAllSettings(App, Section), Rows());

        const auto error = platformErrorOf(
            [&] { store.SaveSetting(App, Section, u"URLHistory1"_s, u"mine"_s); });
        QVERIFY(error);
        QCOMPARE(error->number(), ErrorCode::PathFileAccess);
        QVERIFY2(error->description().contains(QDir::toNativeSeparators(path)),
                 qPrintable(error->description()));

        bool workRan = false;
        QVERIFY(platformErrorOf([&] {
            store.transaction([&] {
                workRan = true;
                store.SaveSetting(App, Section, u"URLHistory1"_s, u"mine"_s);
            });
        }));
        QVERIFY(!workRan);
    }
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { u"settings.sqlite"_s });
}

void tst_SettingsStore::unwritableLocationFails_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("blockingFile");
    QTest::addColumn<QString>("blockingFolder");
    QTest::newRow("folder cannot be made: a file is in the way")
        << u"blocker/kestrav/settings.sqlite"_s << u"blocker"_s << QString();
    QTest::newRow("the path is a folder")
        << u"settings.sqlite"_s << QString() << u"settings.sqlite"_s;
}

void tst_SettingsStore::unwritableLocationFails()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, blockingFile);
    QFETCH(QString, blockingFolder);

    if (!blockingFile.isEmpty())
        QVERIFY(writeFile(m_dir->filePath(blockingFile), "not a folder"));
    if (!blockingFolder.isEmpty())
        QVERIFY(QDir(m_dir->path()).mkdir(blockingFolder));

    const QString path = m_dir->filePath(relativePath);
    SqliteSettingsStore store(path);
    QCOMPARE(store.GetSetting(App, Section, u"URLHistory1"_s), QString());
    QCOMPARE(store.GetAllSettings(App, Section), Rows());

    const auto error
        = platformErrorOf([&] { store.SaveSetting(App, Section, u"URLHistory1"_s, u"x"_s); });
    QVERIFY(error);
    QCOMPARE(error->number(), ErrorCode::PathFileAccess);
    QVERIFY2(error->description().contains(QDir::toNativeSeparators(path)),
             qPrintable(error->description()));
    if (!blockingFile.isEmpty())
        QCOMPARE(readAll(m_dir->filePath(blockingFile)), QByteArray("not a folder"));
}

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
