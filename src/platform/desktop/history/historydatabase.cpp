#include "platform/desktop/history/historydatabase.h"

#include "platform/api/atomicfile.h"
#include "platform/desktop/history/historymatchfunction.h"
#include "platform/desktop/history/historysql.h"

#include <atomic>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QThread>
#include <sqlite3.h>
#include <utility>

using namespace HistorySql;

namespace {

// Marks the file as ours, so another program's database is never taken for a history.
constexpr int ApplicationId = 0x4B535648; // "KSVH"
constexpr int SchemaVersion = 1;
// A second running copy holds the write lock for one short transaction at a time.
constexpr auto ConnectOptions = "QSQLITE_BUSY_TIMEOUT=5000";
constexpr int BusyRetries = 3;

QString tr(const char *text)
{
    return QCoreApplication::translate("HistoryDatabase", text);
}

QString nextConnectionName()
{
    static std::atomic<int> counter = 0;
    return QStringLiteral("kestrav-history-%1").arg(++counter);
}

// What a disk must have left for the history's writes to go: a few pages and their journal.
constexpr qint64 NoRoomMargin = 64 * 1024;

bool isDamage(int code)
{
    return code == Corrupt || code == NotADatabase;
}

bool isUnwritable(int code)
{
    return code == ReadOnly || code == Full || code == IoError || code == CantOpen
        || code == SQLITE_PERM;
}

} // namespace

HistoryDatabase::HistoryDatabase(QString filePath, FrecencyRule rule, Trouble trouble)
    : m_filePath(std::move(filePath))
    , m_connectionName(nextConnectionName())
    , m_rule(std::move(rule))
    , m_trouble(std::move(trouble))
{
}

HistoryDatabase::~HistoryDatabase()
{
    close();
}

bool HistoryDatabase::open()
{
    if (m_opened)
        return true;
    if (m_unusable)
        return false;
    try {
        if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath()))
            throw Failure { CantOpen, tr("its folder cannot be made") };
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        m_database.setDatabaseName(m_filePath);
        m_database.setConnectOptions(QString::fromLatin1(ConnectOptions));
        if (!m_database.open())
            fail(m_database);
        m_opened = true;
        registerFunctions();
        // Reading the header first tells a damaged file from one that is only read-only.
        one(QStringLiteral("SELECT count(*) FROM sqlite_master"), {});
        exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        // In WAL mode NORMAL loses no committed write when the process is killed.
        exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        exec(QStringLiteral("PRAGMA journal_size_limit = 16777216"));
        // Reads go through the system's file cache instead of copies in our own memory.
        exec(QStringLiteral("PRAGMA mmap_size = 1073741824"));
        createSchema();
        m_openAttempts = 0;
        return true;
    } catch (const Failure &failure) {
        if (noRoom(failure)) {
            // Nothing is marked unusable: the next write opens it again, once there is room.
            close();
            return false;
        }
        if ((failure.code == Busy || failure.code == Locked) && ++m_openAttempts <= BusyRetries) {
            // Another copy is setting the file up at this moment.
            close();
            QThread::msleep(50);
            return open();
        }
        if (isDamage(failure.code) && !m_movedAside) {
            moveAside();
            return open();
        }
        if (isUnwritable(failure.code) && m_opened) {
            // Read what is there; recording is off.
            if (m_writable) {
                m_writable = false;
                m_trouble(tr("History is not being kept: %1").arg(failure.text));
            }
            return true;
        }
        close();
        m_unusable = true;
        m_trouble(tr("History is not being kept: %1").arg(failure.text));
        return false;
    }
}

QSqlQuery &HistoryDatabase::run(const QString &statement, const QVariantList &values)
{
    auto found = m_statements.find(statement);
    if (found == m_statements.end()) {
        QSqlQuery query(m_database);
        query.setForwardOnly(true);
        if (!query.prepare(statement))
            fail(query);
        found = m_statements.insert(statement, query);
    }
    QSqlQuery &query = *found;
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values.at(i));
    if (!query.exec())
        fail(query);
    return query;
}

void HistoryDatabase::exec(const QString &statement, const QVariantList &values)
{
    // A statement left active (a pragma's answer) would keep a commit from going through.
    run(statement, values).finish();
}

QVariant HistoryDatabase::one(const QString &statement, const QVariantList &values,
                              const QVariant &fallback)
{
    QSqlQuery &query = run(statement, values);
    const QVariant value = query.next() ? query.value(0) : fallback;
    // A read left open would hold back the journal's checkpoints.
    query.finish();
    return value;
}

void HistoryDatabase::close()
{
    m_statements.clear();
    if (m_database.isValid()) {
        m_database.close();
        m_database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_opened = false;
}

void HistoryDatabase::registerFunctions()
{
    const QVariant handle = m_database.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Failure { CantOpen, tr("the database driver is not SQLite") };
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.constData());
    if (sqlite3_create_function_v2(connection, "kestrav_match", 3,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   HistoryMatch::matchFunction, nullptr, nullptr, nullptr)
        != SQLITE_OK)
        throw Failure { SQLITE_ERROR, QString::fromUtf8(sqlite3_errmsg(connection)) };
    // Checked every few thousand steps of a read, so that a read nobody waits for any more
    // ends early and the worker moves on to the newer one.
    sqlite3_progress_handler(
        connection, 4000,
        [](void *self) -> int {
            auto *database = static_cast<HistoryDatabase *>(self);
            return database->m_reading && database->m_interrupted && database->m_interrupted() ? 1
                                                                                               : 0;
        },
        this);
}

void HistoryDatabase::createSchema()
{
    const int id = one(QStringLiteral("PRAGMA application_id"), {}, 0).toInt();
    const int version = one(QStringLiteral("PRAGMA user_version"), {}, 0).toInt();
    if (id == ApplicationId && version == SchemaVersion)
        return;
    // Checked again under the write lock: two copies may start on a new file together.
    exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        const int lockedId = one(QStringLiteral("PRAGMA application_id"), {}, 0).toInt();
        const int tables = one(QStringLiteral("SELECT count(*) FROM sqlite_master"), {}, 0).toInt();
        if (lockedId != ApplicationId && tables > 0)
            throw Failure { NotADatabase, tr("the file is not a history of this program") };
        if (lockedId != ApplicationId) {
            const char *statements[] = {
                // The address is found by its hash: an index of the hash is a fraction of one
                // of the text.
                "CREATE TABLE places (id INTEGER PRIMARY KEY, url_hash INTEGER NOT NULL, "
                "url TEXT NOT NULL, host TEXT NOT NULL, title TEXT NOT NULL DEFAULT '', "
                "visit_count INTEGER NOT NULL DEFAULT 0, frecency REAL NOT NULL DEFAULT 0, "
                "recalc_at INTEGER NOT NULL DEFAULT 0)",
                "CREATE INDEX places_hash ON places (url_hash)",
                // With the host, so that a common host prefix is checked in rank order from the
                // index alone.
                "CREATE INDEX places_frecency ON places (frecency, host)",
                // Host and frecency: the host tier is sorted from the index alone.
                "CREATE INDEX places_host ON places (host, frecency)",
                "CREATE INDEX places_recalc ON places (recalc_at)",
                "CREATE TABLE visits (id INTEGER PRIMARY KEY, place_id INTEGER NOT NULL, "
                "time INTEGER NOT NULL, kind INTEGER NOT NULL)",
                "CREATE INDEX visits_time ON visits (time)",
                "CREATE INDEX visits_place ON visits (place_id, time)",
                // Trigrams find any part of a word; detail=none keeps only which rows hold a
                // trigram, the smallest index, and the match function checks the rest.
                "CREATE VIRTUAL TABLE places_text USING fts5 (url, title, content='places', "
                "content_rowid='id', tokenize='trigram', detail='none')",
                "CREATE TRIGGER places_added AFTER INSERT ON places BEGIN "
                "INSERT INTO places_text (rowid, url, title) VALUES (new.id, new.url, new.title); "
                "END",
                "CREATE TRIGGER places_removed AFTER DELETE ON places BEGIN "
                "INSERT INTO places_text (places_text, rowid, url, title) "
                "VALUES ('delete', old.id, old.url, old.title); END",
                "CREATE TRIGGER places_retitled AFTER UPDATE OF title ON places BEGIN "
                "INSERT INTO places_text (places_text, rowid, url, title) "
                "VALUES ('delete', old.id, old.url, old.title); "
                "INSERT INTO places_text (rowid, url, title) VALUES (new.id, new.url, new.title); "
                "END",
            };
            for (const char *statement : statements)
                exec(QString::fromLatin1(statement));
            exec(QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId));
            exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        }
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(m_database).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void HistoryDatabase::moveAside()
{
    close();
    m_movedAside = true;
    const QString stamp
        = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    const QFileInfo info(m_filePath);
    const QString aside = info.absolutePath() + QLatin1Char('/') + info.completeBaseName()
        + QStringLiteral("-damaged-") + stamp + QLatin1Char('.') + info.suffix();
    QFile::remove(aside);
    const bool moved = QFile::rename(m_filePath, aside);
    // The journal belongs to the damaged file; the new file must not replay it.
    for (const char *suffix : { "-wal", "-shm", "-journal" }) {
        const QString companion = m_filePath + QLatin1String(suffix);
        if (QFileInfo::exists(companion)
            && !QFile::rename(companion, aside + QLatin1String(suffix)))
            QFile::remove(companion);
    }
    if (!moved)
        QFile::remove(m_filePath);
    m_trouble(moved ? tr("The history file was damaged; it was moved to %1 and a new one started.")
                          .arg(QDir::toNativeSeparators(aside))
                    : tr("The history file was damaged; a new one was started."));
}

template<typename Result> Result HistoryDatabase::read(const std::function<Result()> &work)
{
    // A damaged file found by a read is replaced, and the read answered from the new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!open())
            return {};
        try {
            m_reading = true;
            Result result = work();
            m_reading = false;
            return result;
        } catch (const Failure &failure) {
            m_reading = false;
            if (!isDamage(failure.code) || !recover(failure))
                return {};
        }
    }
    return {};
}

template QList<HistoryEntry> HistoryDatabase::read(const std::function<QList<HistoryEntry>()> &);
template QList<HistoryVisit> HistoryDatabase::read(const std::function<QList<HistoryVisit>()> &);

bool HistoryDatabase::recover(const Failure &failure)
{
    if (isDamage(failure.code)) {
        if (m_movedAside) {
            close();
            m_unusable = true;
            m_trouble(tr("History is not being kept: %1").arg(failure.text));
            return false;
        }
        moveAside();
        return open();
    }
    if (noRoom(failure))
        return false;
    if (isUnwritable(failure.code)) {
        if (m_writable)
            m_trouble(tr("History is not being kept: %1").arg(failure.text));
        m_writable = false;
        return false;
    }
    return false;
}

bool HistoryDatabase::noRoom(const Failure &failure)
{
    // SQLite says "disk I/O error" for some writes that a full disk cuts short.
    const bool full = failure.code == Full
        || (failure.code == IoError && AtomicFile::lacksRoomFor(m_filePath, NoRoomMargin));
    if (!full)
        return false;
    m_refusedForRoom = true;
    if (!std::exchange(m_toldNoRoom, true)) {
        m_trouble(AtomicFile::diskFullText(QFileInfo(m_filePath).absolutePath(),
                                           tr("visits are kept in memory until there is room.")));
    }
    return true;
}

void HistoryDatabase::lookForRoom()
{
    if (m_toldNoRoom && !AtomicFile::lacksRoomFor(m_filePath, NoRoomMargin)) {
        m_toldNoRoom = false;
        m_trouble(QString());
    }
}

HistoryDatabase::Written HistoryDatabase::write(const std::function<void()> &writes)
{
    m_refusedForRoom = false;
    const auto refused = [this] { return m_refusedForRoom ? Written::NoRoom : Written::Lost; };
    for (int attempt = 0; attempt <= BusyRetries; ++attempt) {
        if (!open() || !m_writable)
            return refused();
        try {
            exec(QStringLiteral("BEGIN IMMEDIATE"));
            try {
                writes();
                exec(QStringLiteral("COMMIT"));
                if (std::exchange(m_toldLocked, false) | std::exchange(m_toldNoRoom, false))
                    m_trouble(QString());
                return Written::Kept;
            } catch (...) {
                QSqlQuery(m_database).exec(QStringLiteral("ROLLBACK"));
                throw;
            }
        } catch (const Failure &failure) {
            if (failure.code == Busy || failure.code == Locked) {
                // The other copy's transaction is long; give it a moment more.
                QThread::msleep(50);
                continue;
            }
            if (!recover(failure))
                return refused();
        }
    }
    // Another program has held the file for all that time: these writes are lost, and the
    // user is told once, until a write gets through again.
    if (!m_toldLocked)
        m_trouble(tr("History is not being kept while another program holds %1.")
                      .arg(QDir::toNativeSeparators(m_filePath)));
    m_toldLocked = true;
    return Written::Lost;
}
