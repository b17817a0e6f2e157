#include "fakehistorystore.h"
#include "history/historymatch.h"
#include "history/historyrules.h"
#include "platform/desktop/history/sqlitehistorystore.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

// What the window relies on from the history store, checked against the real store and the
// double; then what only the real file can show: damage, a full disk, kills and two copies.

namespace {

const qint64 Now = QDateTime::currentMSecsSinceEpoch();
constexpr qint64 Hour = 60LL * 60 * 1000;

template<typename Row, typename Ask> QList<Row> answerOf(Ask ask)
{
    QList<Row> rows;
    bool answered = false;
    QEventLoop loop;
    ask(&loop, [&](const QList<Row> &found) {
        rows = found;
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    if (!answered)
        loop.exec();
    if (!answered)
        qWarning("the store did not answer");
    return rows;
}

QStringList completed(HistoryStore &store, const QString &typed, int limit = 10)
{
    const auto rows = answerOf<HistoryEntry>([&](QObject *context, auto answer) {
        store.complete({ History::queryWords(typed), History::hostPrefix(typed), limit }, context,
                       answer);
    });
    QStringList urls;
    for (const HistoryEntry &row : rows)
        urls.append(row.url);
    return urls;
}

QList<HistoryVisit> listed(HistoryStore &store, const VisitQuery &query)
{
    return answerOf<HistoryVisit>(
        [&](QObject *context, auto answer) { store.visits(query, context, answer); });
}

QStringList urlsOf(const QList<HistoryVisit> &visits)
{
    QStringList urls;
    for (const HistoryVisit &visit : visits)
        urls.append(visit.url);
    return urls;
}

} // namespace

class HistoryStoreContract : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<std::unique_ptr<HistoryStore>(const QString &folder)>;
    explicit HistoryStoreContract(Factory factory)
        : m_factory(std::move(factory))
    {
    }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_store = m_factory(m_folder->path());
    }
    void cleanup() { m_store.reset(); }

    void completesByHostThenFrecency()
    {
        HistoryStore &s = *m_store;
        s.recordVisit(QStringLiteral("https://often.org/git"), QStringLiteral("Often"), Now - Hour,
                      VisitKind::Followed);
        s.recordVisit(QStringLiteral("https://often.org/git"), QString(), Now, VisitKind::Followed);
        s.recordVisit(QStringLiteral("https://typed.org/git"), QStringLiteral("Typed"), Now,
                      VisitKind::Typed);
        s.recordVisit(QStringLiteral("https://www.github.com/"), QStringLiteral("Hub"),
                      Now - 200 * 24 * Hour, VisitKind::Followed);
        s.recordVisit(QStringLiteral("https://elsewhere.org/"), QStringLiteral("Other"), Now,
                      VisitKind::Typed);
        QCOMPARE(completed(s, QStringLiteral("git")),
                 (QStringList { "https://www.github.com/", "https://typed.org/git",
                                "https://often.org/git" }));
        QCOMPARE(completed(s, QStringLiteral("git"), 2).size(), 2);
        // Words in title or address, in any order, whatever the case; a later empty title
        // keeps the one known.
        QCOMPARE(completed(s, QStringLiteral("OFTEN often.org")),
                 QStringList { "https://often.org/git" });
        QCOMPARE(completed(s, QStringLiteral("git often typed")), QStringList());
        s.setTitle(QStringLiteral("https://elsewhere.org/"), QStringLiteral("Ελληνικά"));
        QCOMPARE(completed(s, QStringLiteral("ΕΛΛΗΝ")), QStringList { "https://elsewhere.org/" });
    }

    void listsVisitsNewestFirstInPages()
    {
        for (int i = 0; i < 5; ++i)
            m_store->recordVisit(QStringLiteral("https://p%1.org/").arg(i % 3),
                                 QStringLiteral("Page"), Now - (5 - i) * Hour, VisitKind::Followed);
        const QList<HistoryVisit> first = listed(
            *m_store,
            { {}, std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max(), 2 });
        QCOMPARE(urlsOf(first), (QStringList { "https://p1.org/", "https://p0.org/" }));
        const QList<HistoryVisit> rest
            = listed(*m_store, { {}, first.last().time, first.last().id, 10 });
        QCOMPARE(urlsOf(rest),
                 (QStringList { "https://p2.org/", "https://p1.org/", "https://p0.org/" }));
        QCOMPARE(rest.first().title, QStringLiteral("Page"));
        QCOMPARE(urlsOf(listed(*m_store, { { QStringLiteral("p2") } })),
                 QStringList { "https://p2.org/" });
    }

    void removes()
    {
        HistoryStore &s = *m_store;
        QSignalSpy changed(&s, &HistoryStore::changed);
        QSignalSpy removed(&s, &HistoryStore::addressesRemoved);
        for (const char *url : { "https://a.org/", "https://b.org/", "https://c.org/" }) {
            s.recordVisit(QString::fromLatin1(url), QString(), Now - 2 * Hour, VisitKind::Followed);
            s.recordVisit(QString::fromLatin1(url), QString(), Now, VisitKind::Followed);
        }
        s.removeAddresses({ QStringLiteral("https://a.org/") });
        QCOMPARE(completed(s, QStringLiteral("org")),
                 (QStringList { "https://b.org/", "https://c.org/" }));
        // The last visit of an address takes the address with it.
        const QList<HistoryVisit> bVisits = listed(s, { { QStringLiteral("b.org") } });
        s.removeVisits({ bVisits.at(0).id });
        QCOMPARE(completed(s, QStringLiteral("b.org")).size(), 1);
        s.removeVisits({ bVisits.at(1).id });
        QCOMPARE(completed(s, QStringLiteral("b.org")), QStringList());
        // Both ends of a span are in it.
        s.clearRange(Now - 2 * Hour, Now - 2 * Hour);
        QCOMPARE(urlsOf(listed(s, {})), QStringList { "https://c.org/" });
        s.clearRange(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
        QVERIFY(listed(s, {}).isEmpty());
        QTRY_COMPARE(changed.size(), 5);
        // Only an address that lost its last visit is said to have gone.
        QCOMPARE(removed.size(), 3);
        QCOMPARE(removed.at(0), (QVariantList { QStringList { "https://a.org/" }, false }));
        QCOMPARE(removed.at(1), (QVariantList { QStringList { "https://b.org/" }, false }));
        QCOMPARE(removed.at(2).at(1), QVariant(true));
    }

    void addressWithoutHostKept()
    {
        // Written in one batch with the next visit: neither may cost the other.
        m_store->recordVisit(QStringLiteral("no host here"), QString(), Now, VisitKind::Typed);
        m_store->recordVisit(QStringLiteral("https://kept.org/"), QString(), Now, VisitKind::Typed);
        QCOMPARE(completed(*m_store, QStringLiteral("kept")), QStringList { "https://kept.org/" });
        QCOMPARE(completed(*m_store, QStringLiteral("host")), QStringList { "no host here" });
    }

    void hostileTextIsText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const QStringList odd { "https://odd.org/" };
        QTest::newRow("percent") << QStringLiteral("%") << odd;
        QTest::newRow("underscore") << QStringLiteral("a_b") << odd;
        QTest::newRow("quote and star") << QStringLiteral("\"q\"*") << odd;
        QTest::newRow("apostrophe") << QStringLiteral("it's") << odd;
        QTest::newRow("NEAR and OR") << QStringLiteral("NEAR OR") << QStringList();
        QTest::newRow("SQL") << QStringLiteral("'); DROP TABLE places; --") << QStringList();
        QTest::newRow("10,000 characters") << QString(10'000, QLatin1Char('x')) << QStringList();
        QTest::newRow("inside an 8 KiB title")
            << QStringLiteral("needle") << QStringList { "https://big.org/" };
    }
    void hostileTextIsText()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        m_store->recordVisit(QStringLiteral("https://odd.org/"),
                             QStringLiteral("100% \"q\"* it's a_b"), Now, VisitKind::Followed);
        m_store->recordVisit(QStringLiteral("https://plain.org/"), QStringLiteral("axb 100 q"), Now,
                             VisitKind::Followed);
        m_store->recordVisit(QStringLiteral("https://big.org/"),
                             QString(4000, QChar(0x4e2d)) + QStringLiteral("needle"), Now,
                             VisitKind::Followed);
        QCOMPARE(completed(*m_store, typed), found);
        QCOMPARE(urlsOf(listed(*m_store, { History::queryWords(typed) })), found);
        QCOMPARE(completed(*m_store, QStringLiteral("org")).size(), 3);
    }

private:
    Factory m_factory;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<HistoryStore> m_store;
};

class tst_SqliteHistoryFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_folder = std::make_unique<QTemporaryDir>(); }

    void damagedFileMovedAside_data()
    {
        QTest::addColumn<bool>("keepHeader");
        QTest::newRow("not a database") << false;
        QTest::newRow("damaged pages") << true;
    }
    void damagedFileMovedAside()
    {
        QFETCH(bool, keepHeader);
        {
            SqliteHistoryStore store(path(), History::frecency);
            for (int i = 0; i < 300; ++i)
                store.recordVisit(QStringLiteral("https://old.org/%1").arg(i),
                                  QString(500, QLatin1Char('t')), Now, VisitKind::Followed);
        }
        QByteArray bytes = readAll(path());
        QVERIFY(bytes.size() > 8192);
        const qsizetype from = keepHeader ? 4096 : 0;
        for (qsizetype i = from; i < bytes.size(); ++i)
            bytes[i] = char(QRandomGenerator::global()->bounded(256));
        QVERIFY(writeAll(path(), bytes));

        SqliteHistoryStore store(path(), History::frecency);
        QSignalSpy trouble(&store, &HistoryStore::trouble);
        completed(store, QStringLiteral("old"));
        store.recordVisit(QStringLiteral("https://new.org/"), QString(), Now, VisitKind::Typed);
        QCOMPARE(completed(store, QStringLiteral("new")), QStringList { "https://new.org/" });
        QCOMPARE(trouble.size(), 1);
        QVERIFY(trouble.at(0).at(0).toString().contains(QStringLiteral("damaged")));
        const QStringList aside
            = QDir(m_folder->path())
                  .entryList({ QStringLiteral("history-damaged-%1-*.sqlite")
                                   .arg(QDate::currentDate().toString(Qt::ISODate)) });
        QCOMPARE(aside.size(), 1);
    }

    void shortHostPrefixStillRanks()
    {
        // More hosts start with "m" than the host index is sorted for: ranked in rank order.
        SqliteHistoryStore store(path(), History::frecency);
        for (int i = 0; i < 5100; ++i)
            store.recordVisit(QStringLiteral("https://m%1.org/").arg(i), QString(),
                              Now - 200 * 24 * Hour, VisitKind::Followed);
        for (int i = 0; i < 3; ++i) {
            store.recordVisit(QStringLiteral("https://mtop.org/"), QString(), Now,
                              VisitKind::Typed);
            store.recordVisit(QStringLiteral("https://other.org/m"), QString(), Now,
                              VisitKind::Typed);
        }
        const QStringList found = completed(store, QStringLiteral("m"));
        QCOMPARE(found.size(), 10);
        QCOMPARE(found.first(), QStringLiteral("https://mtop.org/"));
        QVERIFY(!found.contains(QStringLiteral("https://other.org/m")));
    }

    void unwritableFileSaysWhyOnce()
    {
        // A folder where the file should be: nothing can be opened, browsing goes on.
        QVERIFY(QDir().mkpath(path()));
        SqliteHistoryStore store(path(), History::frecency);
        QSignalSpy trouble(&store, &HistoryStore::trouble);
        store.recordVisit(QStringLiteral("https://a.org/"), QString(), Now, VisitKind::Typed);
        store.recordVisit(QStringLiteral("https://b.org/"), QString(), Now, VisitKind::Typed);
        QCOMPARE(completed(store, QStringLiteral("org")), QStringList());
        QCOMPARE(trouble.size(), 1);
        QVERIFY(
            trouble.at(0).at(0).toString().startsWith(QStringLiteral("History is not being kept")));
    }

    void lockedFileSaysWhyAndKeepsWhatItHad()
    {
        SqliteHistoryStore store(path(), History::frecency);
        store.recordVisit(QStringLiteral("https://first.org/"), QString(), Now, VisitKind::Typed);
        QCOMPARE(completed(store, QStringLiteral("first")).size(), 1);
        QSignalSpy trouble(&store, &HistoryStore::trouble);
        {
            // Another program holds a write transaction for longer than the store waits.
            QSqlDatabase other
                = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(path());
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
            store.recordVisit(QStringLiteral("https://during.org/"), QString(), Now,
                              VisitKind::Typed);
            store.recordVisit(QStringLiteral("https://during.org/2"), QString(), Now,
                              VisitKind::Typed);
            QTRY_VERIFY_WITH_TIMEOUT(!trouble.isEmpty(), 60'000);
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("ROLLBACK")));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        store.recordVisit(QStringLiteral("https://after.org/"), QString(), Now, VisitKind::Typed);
        QCOMPARE(completed(store, QStringLiteral("after")).size(), 1);
        QCOMPARE(completed(store, QStringLiteral("first")).size(), 1);
        // Said once, and said to be over once a write got through.
        QCOMPARE(trouble.size(), 2);
        QVERIFY(trouble.at(0).at(0).toString().contains(QStringLiteral("another program")));
        QCOMPARE(trouble.at(1).at(0).toString(), QString());
    }

    void fullDiskKeepsVisitsUntilThereIsRoom_data()
    {
        QTest::addColumn<bool>("fullAtStart");
        QTest::newRow("a history file, then the disk fills") << false;
        QTest::newRow("the disk full before the file is made, no visit after") << true;
    }

    void fullDiskKeepsVisitsUntilThereIsRoom()
    {
        QFETCH(bool, fullAtStart);
        SmallDisk disk(2 * 1024 * 1024);
        KESTRAV_REQUIRE_DISK(disk);
        const QString file = disk.path() + QStringLiteral("/history.sqlite");
        {
            SqliteHistoryStore store(file, History::frecency);
            QSignalSpy trouble(&store, &HistoryStore::trouble);
            if (!fullAtStart) {
                store.recordVisit(QStringLiteral("https://first.org/"), QString(), Now,
                                  VisitKind::Typed);
                QCOMPARE(completed(store, QStringLiteral("first")).size(), 1);
            }
            QVERIFY(disk.fill());
            for (int i = 0; i < 50; ++i)
                store.recordVisit(QStringLiteral("https://full.org/%1").arg(i),
                                  QString(1000, QLatin1Char('f')), Now, VisitKind::Followed);
            QTRY_COMPARE(trouble.size(), 1);
            QCOMPARE(trouble.at(0).at(0).toString(),
                     QStringLiteral("The disk holding %1 is full: visits are kept in memory "
                                    "until there is room.")
                         .arg(QDir::toNativeSeparators(disk.path())));
            // Room again: the next visit takes those held with it, or the store tries again by
            // itself a little later, and the trouble is over.
            disk.free();
            if (!fullAtStart)
                store.recordVisit(QStringLiteral("https://after.org/"), QString(), Now,
                                  VisitKind::Typed);
            QTRY_COMPARE_WITH_TIMEOUT(trouble.size(), 2, 30'000);
            QCOMPARE(trouble.at(1).at(0).toString(), QString());
        }
        SqliteHistoryStore reopened(file, History::frecency);
        QCOMPARE(completed(reopened, QStringLiteral("full.org")).size(), 10); // the limit
        VisitQuery all;
        all.limit = 1000;
        QCOMPARE(listed(reopened, all).size(), fullAtStart ? 50 : 52);
    }

    void killedWriterLosesAtMostOne()
    {
        for (int round = 0; round < 5; ++round) {
            QProcess writer;
            writer.start(writerPath(),
                         { path(), QStringLiteral("k%1").arg(round), QStringLiteral("0") });
            QVERIFY(writer.waitForStarted());
            QVERIFY(writer.waitForReadyRead(10'000));
            QTest::qWait(QRandomGenerator::global()->bounded(50, 400));
            writer.kill();
            writer.waitForFinished();
            const QList<QByteArray> lines = writer.readAllStandardOutput().split('\n');
            int confirmed = -1;
            for (const QByteArray &line : lines)
                confirmed = line.isEmpty() ? confirmed : line.toInt();
            const qint64 kept
                = count(QStringLiteral("SELECT count(*) FROM visits v JOIN places p ON "
                                       "p.id = v.place_id WHERE p.url LIKE 'https://k%1.%'")
                            .arg(round));
            QVERIFY2(
                kept >= confirmed + 1 && kept <= confirmed + 2,
                qPrintable(QStringLiteral("%1 kept, %2 confirmed").arg(kept).arg(confirmed + 1)));
            QCOMPARE(count(QStringLiteral("PRAGMA quick_check")), 0); // "ok" reads as 0
        }
    }

    void twoCopiesLoseNothing()
    {
        QProcess one;
        QProcess two;
        one.start(writerPath(), { path(), QStringLiteral("one"), QStringLiteral("300") });
        two.start(writerPath(), { path(), QStringLiteral("two"), QStringLiteral("300") });
        QVERIFY(one.waitForFinished(120'000));
        QVERIFY(two.waitForFinished(120'000));
        const QByteArray said = one.readAllStandardOutput() + two.readAllStandardOutput();
        QVERIFY2(!said.contains("trouble"), said.constData());
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM visits")), 600);
        QCOMPARE(count(QStringLiteral("SELECT count(*) FROM places")), 600);
    }

private:
    QString path() const { return m_folder->path() + QStringLiteral("/history.sqlite"); }
    static QString writerPath()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/historywriter");
    }
    qint64 count(const QString &statement) const
    {
        qint64 value = -1;
        {
            QSqlDatabase database
                = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            database.setDatabaseName(path());
            if (database.open()) {
                QSqlQuery query(database);
                if (query.exec(statement) && query.next())
                    value = query.value(0).toLongLong();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        return value;
    }

    std::unique_ptr<QTemporaryDir> m_folder;
};

#define KESTRAV_CONTRACT(Name, Contract, factory)                                                  \
    class Name final : public Contract                                                             \
    {                                                                                              \
        Q_OBJECT                                                                                   \
    public:                                                                                        \
        Name()                                                                                     \
            : Contract(factory)                                                                    \
        {                                                                                          \
        }                                                                                          \
    };

KESTRAV_CONTRACT(tst_SqliteHistoryStoreContract, HistoryStoreContract,
                 [](const QString &folder) -> std::unique_ptr<HistoryStore> {
                     return std::make_unique<SqliteHistoryStore>(
                         folder + QStringLiteral("/h.sqlite"), History::frecency);
                 })
KESTRAV_CONTRACT(tst_FakeHistoryStoreContract, HistoryStoreContract,
                 [](const QString &) -> std::unique_ptr<HistoryStore> {
                     return std::make_unique<FakeHistoryStore>(History::frecency);
                 })

int main(int argc, char *argv[])
{
    HermeticHome home;
    QCoreApplication application(argc, argv);
    int failures = 0;
    const auto run = [&](QObject &&test) { failures += QTest::qExec(&test, argc, argv); };
    run(tst_SqliteHistoryStoreContract());
    run(tst_FakeHistoryStoreContract());
    run(tst_SqliteHistoryFile());
    return failures;
}

#include "tst_historystore.moc"
