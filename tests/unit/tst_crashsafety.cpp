#include "history/recenturls.h"
#include "import/bookmarkshtml.h"
#include "import/favoritesimport.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "testsupport.h"
#include "writercontent.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

// The program's own files after a crash at any moment, and with two copies writing at once.
// A child process writes them as the program does and is killed with SIGKILL at random
// moments. KESTRAV_KILL_ROUNDS and KESTRAV_KILL_ENTRIES raise the counts for a long run
// (make bench); the defaults keep make test quick. The moments come from a seed that a failed
// test prints; KESTRAV_KILL_SEED repeats them.

namespace {

int setting(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

QString writerProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/storewriter");
}

// Starts the writer and waits until its first write is done.
bool startWriter(QProcess &writer, const QStringList &arguments)
{
    writer.start(writerProgram(), arguments);
    if (!writer.waitForStarted())
        return false;
    while (!writer.canReadLine()) {
        if (!writer.waitForReadyRead(10'000))
            return false;
    }
    return writer.readLine().trimmed() == "ready";
}

void killAtRandom(QProcess &writer, QRandomGenerator &moments)
{
    QThread::usleep(moments.bounded(30'000));
    writer.kill();
    writer.waitForFinished();
}

// The number in an address that the writer made with the prefix, or -1.
int numberOf(const QString &value, const QString &prefix)
{
    bool ok = false;
    const int n = value.startsWith(prefix) ? value.mid(prefix.size()).toInt(&ok) : -1;
    return ok ? n : -1;
}

} // namespace

class tst_CrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void favoritesFileIsOldOrNew();
    void importLeavesTheFileOldOrNew();
    void recentListIsOneWholeState();
    void twoCopiesAtOnce();

private:
    quint32 m_seed = 0;
    QRandomGenerator m_moments;
};

void tst_CrashSafety::init()
{
    m_seed
        = quint32(setting("KESTRAV_KILL_SEED", int(QRandomGenerator::system()->bounded(1u << 30))));
    m_moments.seed(m_seed);
}

void tst_CrashSafety::cleanup()
{
    if (QTest::currentTestFailed())
        qInfo("The kill moments came from KESTRAV_KILL_SEED=%u", m_seed);
}

void tst_CrashSafety::favoritesFileIsOldOrNew()
{
    const int rounds = setting("KESTRAV_KILL_ROUNDS", 15);
    const int entries = setting("KESTRAV_KILL_ENTRIES", 2000);
    const QByteArray contents[2]
        = { favoritesContent('a', entries), favoritesContent('b', entries) };
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Favorites.txt"));

    for (int round = 0; round < rounds; ++round) {
        QProcess writer;
        QVERIFY(
            startWriter(writer, { QStringLiteral("favorites"), path, QString::number(entries) }));
        killAtRandom(writer, m_moments);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray found = file.readAll();
        QVERIFY2(found == contents[0] || found == contents[1],
                 qPrintable(QStringLiteral("round %1: %2 bytes, neither whole content")
                                .arg(round)
                                .arg(found.size())));
    }
    qInfo("%d of %d kills left a whole file (%d entries)", rounds, rounds, entries);
}

void tst_CrashSafety::importLeavesTheFileOldOrNew()
{
    const int rounds = setting("KESTRAV_KILL_ROUNDS", 15);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Favorites.txt"));
    const QString html = folder.filePath(QStringLiteral("bookmarks.html"));
    QStringList addresses;
    for (int i = 0; i < 3000; ++i)
        addresses.append(QStringLiteral("https://c%1.test/").arg(i));
    QVERIFY(writeAll(html, Import::bookmarksHtml(addresses)));
    const QByteArray before = favoritesContent('a', ImportedInto);
    const QByteArray after = Import::mergeFavorites(before, addresses).fileBytes;
    QCOMPARE(after.count('\n'), ImportedInto + addresses.size());

    for (int round = 0; round < rounds; ++round) {
        QProcess writer;
        QVERIFY(startWriter(writer, { QStringLiteral("import"), path, html }));
        killAtRandom(writer, m_moments);
        const QByteArray found = readAll(path);
        QVERIFY2(found == before || found == after,
                 qPrintable(QStringLiteral("round %1: %2 bytes, neither whole content")
                                .arg(round)
                                .arg(found.size())));
    }
}

void tst_CrashSafety::recentListIsOneWholeState()
{
    const int rounds = setting("KESTRAV_KILL_ROUNDS", 15);
    const QString prefix = QStringLiteral("http://kill.test/");
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("settings.sqlite"));

    for (int round = 0; round < rounds; ++round) {
        QFile::remove(database);
        QProcess writer;
        QVERIFY(startWriter(writer,
                            { QStringLiteral("recent"), database, prefix, QStringLiteral("0") }));
        killAtRandom(writer, m_moments);
        // A whole state is a run of the latest addresses, newest first, under keys 1 to n.
        const auto rows = SqliteSettingsStore(database).GetAllSettings(RecentUrls::application(),
                                                                       RecentUrls::section());
        QVERIFY(!rows.isEmpty());
        const int newest = numberOf(rows.first().second, prefix);
        QCOMPARE(rows.size(), qMin(newest + 1, 10));
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows.at(i).first, RecentUrls::keyName(i + 1));
            QCOMPARE(numberOf(rows.at(i).second, prefix), newest - i);
        }
    }
}

void tst_CrashSafety::twoCopiesAtOnce()
{
    const QString prefixes[2]
        = { QStringLiteral("http://one.test/"), QStringLiteral("http://two.test/") };
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("settings.sqlite"));
    QProcess writers[2];
    for (int w = 0; w < 2; ++w)
        writers[w].start(
            writerProgram(),
            { QStringLiteral("recent"), database, prefixes[w], QStringLiteral("100") });
    int failed = 0;
    for (QProcess &writer : writers) {
        QVERIFY(writer.waitForFinished(120'000));
        QCOMPARE(writer.exitCode(), 0);
        // A write that could not wait for the other copy says so; none is dropped quietly.
        failed += int(writer.readAllStandardOutput().count("failed"));
    }

    const auto rows = SqliteSettingsStore(database).GetAllSettings(RecentUrls::application(),
                                                                   RecentUrls::section());
    QCOMPARE(rows.size(), 10);
    int last[2] = { 100, 100 };
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows.at(i).first, RecentUrls::keyName(i + 1));
        const int w = rows.at(i).second.startsWith(prefixes[0]) ? 0 : 1;
        const int n = numberOf(rows.at(i).second, prefixes[w]);
        // Each copy's addresses stand newest first.
        QVERIFY2(n >= 0 && n < last[w], qPrintable(rows.at(i).second));
        last[w] = n;
    }
    // The last write of all stands first, unless a write reported that it failed.
    if (failed == 0) {
        const QString &newest = rows.first().second;
        QCOMPARE(numberOf(newest, prefixes[newest.startsWith(prefixes[0]) ? 0 : 1]), 99);
    }
    qInfo("two copies, 200 writes: %d reported as failed", failed);
}

KESTRAV_TEST_GUILESS_MAIN(tst_CrashSafety)
#include "tst_crashsafety.moc"
