#include "platform/api/platformerror.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "testsupport.h"

#include <memory>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using Rows = QList<SettingsStore::Row>;

namespace {

const QString App = u"ZivaruruviVO"_s;
const QString Section = u"URL History"_s;

// Every file under a folder with its content, to show that nothing was changed.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(it.filePath(),
                     it.fileInfo().isDir() || !file.open(QIODevice::ReadOnly) ? "<dir>"
                                                                              : file.readAll());
    }
    return files;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Another program's SQLite database that happens to use our table's shape.
bool writeForeignDatabase(const QString &path)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"foreign"_s);
        db.setDatabaseName(path);
        QSqlQuery query(db);
        ok = db.open() && query.exec(u"CREATE TABLE settings (application, section, key, value)"_s)
            && query.exec(u"INSERT INTO settings VALUES "
                          "('ZivaruruviVO', 'URL History', 'URLHistory1', 'theirs')"_s);
    }
    QSqlDatabase::removeDatabase(u"foreign"_s);
    return ok;
}

} // namespace

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keysValuesAndOrder();
    void twoCopiesWriteInTurn();
    void textThatSqliteMends_data();
    void textThatSqliteMends();
    void unusableStoreIsLeftUntouched_data();
    void unusableStoreIsLeftUntouched();

private:
    QString storePath() const { return m_dir->filePath(u"settings.sqlite"_s); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_SettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_SettingsStore::keysValuesAndOrder()
{
    const QStringList values { u"  surrounding spaces  "_s,
                               u"http://example.com/?a=1&b=2&amp;c"_s,
                               u"it's \"quoted\"'); DROP TABLE settings; --"_s,
                               u"http://例え.テスト/Zürich–Ωμέγα😀"_s,
                               u"a\r\nb\nc\rd\te"_s,
                               u"%1 \\n C:\\dir\\"_s,
                               u""_s };

    auto store = std::make_unique<SqliteSettingsStore>(storePath());
    // Reads make no file; the first write does.
    QCOMPARE(store->GetSetting(App, Section, u"URLHistory1"_s), QString());
    QCOMPARE(store->GetAllSettings(App, Section), Rows());
    QVERIFY(!QFile::exists(storePath()));
    // Twelve keys, so that "URLHistory10" follows "URLHistory9" unlike in sorted order.
    Rows expected;
    for (int n = 1; n <= 12; ++n) {
        const QString key = u"URLHistory"_s + QString::number(n);
        expected.append({ key, values.at(n % values.size()) });
        store->SaveSetting(App, Section, key, expected.last().second);
    }
    // An overwrite changes the value and keeps the key's place.
    expected[1].second = u"replaced"_s;
    store->SaveSetting(App, Section, u"URLHistory2"_s, u"replaced"_s);
    // The same key elsewhere is another entry.
    store->SaveSetting(App, u"URLHistory"_s, u"URLHistory1"_s, u"other section"_s);
    store->SaveSetting(u"Other"_s, Section, u"URLHistory13"_s, u"other application"_s);

    QCOMPARE(store->GetAllSettings(App, Section), expected);
    for (const auto &[key, value] : expected)
        QCOMPARE(store->GetSetting(App, Section, key), value);
    for (const QString &missing : { u"URLHistory13"_s, u"URLHistory%"_s, u"urlhistory1"_s })
        QCOMPARE(store->GetSetting(App, Section, missing), QString());
    QCOMPARE(store->GetAllSettings(App, u"Another Section"_s), Rows());

    store.reset();
    QCOMPARE(SqliteSettingsStore(storePath()).GetAllSettings(App, Section), expected);
}

// Inputs that fuzzing found: text is kept exactly where SQLite can keep it, and mended
// (never refused, never crashing) where it cannot.
void tst_SettingsStore::textThatSqliteMends_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    const QChar nul(0);
    QTest::newRow("NUL inside") << QString(u"a"_s + nul + u"b"_s) << QString(u"a"_s + nul + u"b"_s);
    QTest::newRow("noncharacter") << QString(QChar(0xffff)) << QString(QChar(0xfffd));
    QTest::newRow("leading byte-order mark") << QString(QChar(0xfeff) + u"a"_s) << u"a"_s;
    QTest::newRow("lone low surrogate")
        << QString(u"x"_s + QChar(0xdfe9)) << QString(u"x"_s + QChar(0xfffd));
}

void tst_SettingsStore::textThatSqliteMends()
{
    QFETCH(QString, written);
    QFETCH(QString, read);
    SqliteSettingsStore store(storePath());
    store.SaveSetting(App, Section, u"URLHistory1"_s, written);
    QCOMPARE(store.GetSetting(App, Section, u"URLHistory1"_s), read);
}

void tst_SettingsStore::twoCopiesWriteInTurn()
{
    SqliteSettingsStore store(storePath());
    store.SaveSetting(App, Section, u"URLHistory1"_s, u"mine first"_s);

    // Another copy holds its write lock in a thread of its own, as this one blocks in SQLite;
    // the write waits for it instead of failing, and each copy sees the other's writes.
    constexpr int HoldMs = 700;
    QSemaphore locked;
    QString otherSaw;
    std::unique_ptr<QThread> otherCopy(QThread::create([&] {
        try {
            SqliteSettingsStore other(storePath());
            otherSaw = other.GetSetting(App, Section, u"URLHistory1"_s);
            other.transaction([&] {
                other.SaveSetting(App, Section, u"URLHistory2"_s, u"theirs"_s);
                locked.release();
                QThread::msleep(HoldMs);
            });
        } catch (const PlatformError &error) {
            otherSaw = error.description();
            locked.release();
        }
    }));
    otherCopy->start();
    QVERIFY(locked.tryAcquire(1, 10000));

    QElapsedTimer waited;
    waited.start();
    bool failed = false;
    try {
        store.SaveSetting(App, Section, u"URLHistory3"_s, u"mine later"_s);
    } catch (const PlatformError &) {
        failed = true;
    }
    const qint64 elapsed = waited.elapsed();
    QVERIFY(otherCopy->wait(10000));
    QCOMPARE(otherSaw, u"mine first"_s);
    QVERIFY(!failed);
    QVERIFY2(elapsed >= HoldMs / 2, qPrintable(QString::number(elapsed)));
    QCOMPARE(store.GetAllSettings(App, Section),
             (Rows { { u"URLHistory1"_s, u"mine first"_s },
                     { u"URLHistory2"_s, u"theirs"_s },
                     { u"URLHistory3"_s, u"mine later"_s } }));
}

void tst_SettingsStore::unusableStoreIsLeftUntouched_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("garbage bytes") << u"garbage"_s;
    QTest::newRow("another program's database") << u"foreign"_s;
    QTest::newRow("the path is a folder") << u"folder"_s;
}

void tst_SettingsStore::unusableStoreIsLeftUntouched()
{
    QFETCH(QString, damage);

    const QString path = storePath();
    if (damage == "garbage"_L1) {
        QByteArray garbage(8192, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919 + 13) % 251);
        QVERIFY(writeFile(path, garbage));
    } else if (damage == "foreign"_L1) {
        QVERIFY(writeForeignDatabase(path));
    } else {
        QVERIFY(QDir().mkdir(path));
    }
    const auto before = snapshot(m_dir->path());

    {
        SqliteSettingsStore store(path);
        QCOMPARE(store.GetSetting(App, Section, u"URLHistory1"_s), QString());
        QCOMPARE(store.GetAllSettings(App, Section), Rows());
        try {
            store.SaveSetting(App, Section, u"URLHistory1"_s, u"mine"_s);
            QFAIL("the write did not fail");
        } catch (const PlatformError &error) {
            QCOMPARE(error.number(), ErrorCode::PathFileAccess);
            QVERIFY2(error.description().contains(QDir::toNativeSeparators(path)),
                     qPrintable(error.description()));
        }
    }
    QCOMPARE(snapshot(m_dir->path()), before);
}

KESTRAV_TEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
