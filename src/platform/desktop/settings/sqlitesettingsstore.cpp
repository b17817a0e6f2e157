#include "platform/desktop/settings/sqlitesettingsstore.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"

#include <atomic>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {

// Marks the file as ours in the SQLite header, so that another program's database found at
// our path is never taken for a settings file and written over.
constexpr int ApplicationId = 0x4B535456; // "KSTV"

// A write that meets another running copy's lock waits this long before it fails.
constexpr auto ConnectOptions = "QSQLITE_BUSY_TIMEOUT=5000";

// A null QString binds as SQL NULL; the store keeps every text, the empty one included.
QString notNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QString nextConnectionName()
{
    static std::atomic<int> counter = 0;
    return QStringLiteral("kestrav-settings-%1").arg(++counter);
}

enum class Ownership { Ours, Empty, Foreign, Unreadable };

// What the open database is: checked with reads only, so a damaged file stays as it is.
Ownership ownership(const QSqlDatabase &database)
{
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("PRAGMA application_id")) || !query.next())
        return Ownership::Unreadable;
    const int id = query.value(0).toInt();
    if (id == ApplicationId)
        return Ownership::Ours;
    if (id != 0)
        return Ownership::Foreign;
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
        return Ownership::Unreadable;
    return query.value(0).toInt() == 0 ? Ownership::Empty : Ownership::Foreign;
}

} // namespace

SqliteSettingsStore::SqliteSettingsStore(const QString &filePath)
    : m_filePath(filePath)
    , m_connectionName(nextConnectionName())
    , m_database(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName))
{
    m_database.setDatabaseName(m_filePath);
    m_database.setConnectOptions(QString::fromLatin1(ConnectOptions));
}

SqliteSettingsStore::~SqliteSettingsStore()
{
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString SqliteSettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kestrav/settings.sqlite");
}

QString SqliteSettingsStore::GetSetting(const QString &application, const QString &section,
                                        const QString &key) const
{
    if (!openForReading())
        return QString();
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("SELECT value FROM settings "
                                 "WHERE application = ? AND section = ? AND key = ?"));
    query.addBindValue(notNull(application));
    query.addBindValue(notNull(section));
    query.addBindValue(notNull(key));
    if (!query.exec() || !query.next())
        return QString();
    return query.value(0).toString();
}

QList<SettingsStore::Row> SqliteSettingsStore::GetAllSettings(const QString &application,
                                                              const QString &section) const
{
    QList<Row> rows;
    if (!openForReading())
        return rows;
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("SELECT key, value FROM settings "
                                 "WHERE application = ? AND section = ? ORDER BY id"));
    query.addBindValue(notNull(application));
    query.addBindValue(notNull(section));
    if (!query.exec())
        return rows;
    while (query.next())
        rows.append({ query.value(0).toString(), query.value(1).toString() });
    return rows;
}

void SqliteSettingsStore::SaveSetting(const QString &application, const QString &section,
                                      const QString &key, const QString &value)
{
    prepareForWriting();
    QSqlQuery query(m_database);
    // An update must keep the row, and with it the key's place in the enumeration.
    query.prepare(QStringLiteral("INSERT INTO settings (application, section, key, value) "
                                 "VALUES (?, ?, ?, ?) "
                                 "ON CONFLICT (application, section, key) "
                                 "DO UPDATE SET value = excluded.value"));
    query.addBindValue(notNull(application));
    query.addBindValue(notNull(section));
    query.addBindValue(notNull(key));
    query.addBindValue(notNull(value));
    if (!query.exec())
        fail(query.lastError());
}

QStringList SqliteSettingsStore::files() const
{
    // SQLite keeps a journal and shared memory beside the database.
    return { m_filePath, m_filePath + QStringLiteral("-journal"),
             m_filePath + QStringLiteral("-wal"), m_filePath + QStringLiteral("-shm") };
}

void SqliteSettingsStore::DeleteSetting(const QString &application, const QString &section,
                                        const QString &key)
{
    prepareForWriting();
    QSqlQuery query(m_database);
    query.prepare(
        QStringLiteral("DELETE FROM settings WHERE application = ? AND section = ? AND key = ?"));
    query.addBindValue(notNull(application));
    query.addBindValue(notNull(section));
    query.addBindValue(notNull(key));
    if (!query.exec())
        fail(query.lastError());
}

void SqliteSettingsStore::transaction(const std::function<void()> &work)
{
    prepareForWriting();
    // A nested unit becomes a savepoint, so that it too is undone on its own failure.
    const bool outermost = m_transactionDepth == 0;
    const QString savepoint = QStringLiteral("unit%1").arg(m_transactionDepth);
    execOrThrow(outermost ? QStringLiteral("BEGIN IMMEDIATE")
                          : QStringLiteral("SAVEPOINT ") + savepoint);
    ++m_transactionDepth;
    auto undo = [&] {
        --m_transactionDepth;
        QSqlQuery query(m_database);
        if (outermost) {
            query.exec(QStringLiteral("ROLLBACK"));
        } else {
            query.exec(QStringLiteral("ROLLBACK TO ") + savepoint);
            query.exec(QStringLiteral("RELEASE ") + savepoint);
        }
    };
    try {
        work();
    } catch (...) {
        undo();
        throw;
    }
    try {
        execOrThrow(outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + savepoint);
    } catch (...) {
        undo();
        throw;
    }
    --m_transactionDepth;
}

bool SqliteSettingsStore::openForReading() const
{
    // Opening a missing file would create it; a read must leave no trace.
    if (!m_database.isOpen()) {
        if (!QFileInfo(m_filePath).isFile() || !m_database.open())
            return false;
    }
    return ownership(m_database) == Ownership::Ours;
}

void SqliteSettingsStore::prepareForWriting()
{
    if (m_schemaReady)
        return;
    const QFileInfo info(m_filePath);
    if (info.exists() && !info.isFile())
        fail(QCoreApplication::translate("SqliteSettingsStore", "the path is not a file"));
    if (!QDir().mkpath(info.absolutePath()))
        fail(QCoreApplication::translate("SqliteSettingsStore", "the folder cannot be created"));
    if (!m_database.isOpen() && !m_database.open())
        fail(m_database.lastError());

    // Checked and created under the write lock, so that two copies starting together do
    // not both take a new file for empty.
    execOrThrow(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        switch (ownership(m_database)) {
        case Ownership::Ours:
            break;
        case Ownership::Empty:
            execOrThrow(QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId));
            execOrThrow(QStringLiteral("CREATE TABLE IF NOT EXISTS settings ("
                                       "id INTEGER PRIMARY KEY, "
                                       "application TEXT NOT NULL, "
                                       "section TEXT NOT NULL, "
                                       "key TEXT NOT NULL, "
                                       "value TEXT NOT NULL, "
                                       "UNIQUE (application, section, key))"));
            break;
        case Ownership::Foreign:
            fail(QCoreApplication::translate("SqliteSettingsStore",
                                             "the file is not a settings file of this program"));
        case Ownership::Unreadable:
            fail(QCoreApplication::translate("SqliteSettingsStore",
                                             "the file cannot be read as a settings file"));
        }
        execOrThrow(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(m_database).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    m_schemaReady = true;
}

void SqliteSettingsStore::execOrThrow(const QString &statement)
{
    QSqlQuery query(m_database);
    if (!query.exec(statement))
        fail(query.lastError());
}

void SqliteSettingsStore::fail(const QSqlError &error) const
{
    // SQLite says "disk I/O error" for some writes that a full disk cuts short.
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("13")
        || (code == QLatin1String("10") && AtomicFile::lacksRoomFor(m_filePath, 64 * 1024))) {
        throw PlatformError(
            ErrorCode::DiskFull,
            AtomicFile::diskFullText(QFileInfo(m_filePath).absolutePath(),
                                     QCoreApplication::translate(
                                         "SqliteSettingsStore", "the settings were not written.")));
    }
    fail(error.text());
}

void SqliteSettingsStore::fail(const QString &reason) const
{
    throw PlatformError(
        ErrorCode::PathFileAccess,
        QCoreApplication::translate("SqliteSettingsStore", "Cannot write the settings file %1: %2")
            .arg(QDir::toNativeSeparators(m_filePath), reason));
}
