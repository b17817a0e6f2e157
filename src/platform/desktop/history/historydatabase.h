#pragma once

#include "platform/api/historystore.h"
#include "platform/desktop/history/historysql.h"

#include <functional>
#include <optional>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

struct sqlite3;

// The history file itself, used from the store's worker thread only. It opens at its first
// use. A damaged file is moved aside and a new one started; a file that cannot be written
// (read-only) turns recording off; a full disk refuses writes until there is room again.
// Each is said once through trouble, and the end of a full disk by an empty line.
class HistoryDatabase
{
public:
    using Trouble = std::function<void(const QString &line)>;
    enum class Written { Kept, NoRoom, Lost };

    HistoryDatabase(QString filePath, FrecencyRule rule, Trouble trouble);
    ~HistoryDatabase();

    HistoryDatabase(const HistoryDatabase &) = delete;
    HistoryDatabase &operator=(const HistoryDatabase &) = delete;

    // Runs the writes as one transaction; a busy file is waited for and tried again, a
    // damaged one replaced and the writes done in the new one. NoRoom when a full disk
    // refused them: they may be asked again later.
    Written write(const std::function<void()> &writes);
    // These run inside write(). The removals answer the addresses that went with their last
    // visit (clearing everything answers nothing).
    void recordVisit(const QString &url, const QString &title, qint64 time, VisitKind kind);
    void setTitle(const QString &url, const QString &title);
    QStringList removeAddresses(const QStringList &urls);
    QStringList removeVisits(const QList<qint64> &visitIds);
    QStringList clearRange(qint64 from, qint64 to);

    QList<HistoryEntry> complete(const CompletionQuery &query);
    QList<HistoryVisit> visits(const VisitQuery &query);

    // Works out again the frecency of a few addresses whose visits have aged; false when
    // none is left to do.
    bool refreshAgedFrecencies(int count);

    // Whether a full disk refused a write and no write has got through since.
    bool waitingForRoom() const { return m_toldNoRoom; }
    // With nothing waiting to be written: the trouble is over once the disk has room.
    void lookForRoom();

    // Lets the file go; the next request opens it again. Called on the thread that used it.
    void close();

    // Ends a read that runs long once this says it is no longer wanted.
    void setInterruption(std::function<bool()> interrupted)
    {
        m_interrupted = std::move(interrupted);
    }

    using Failure = HistorySql::Failure;

private:
    // The statement, prepared once per connection, run with the values in order; throws
    // Failure. The reference holds until the same statement runs again.
    QSqlQuery &run(const QString &statement, const QVariantList &values = {});
    // The same, for a statement whose rows are not read.
    void exec(const QString &statement, const QVariantList &values = {});
    // The first column of the first row, or fallback when there is no row.
    QVariant one(const QString &statement, const QVariantList &values = {},
                 const QVariant &fallback = {});
    bool open();
    void createSchema();
    void registerFunctions();
    void moveAside();
    // Handles a failure of work in the open database: true when work should run again.
    bool recover(const Failure &failure);
    // Whether the failure is a disk without room; said once until a write gets through.
    bool noRoom(const Failure &failure);
    template<typename Result> Result read(const std::function<Result()> &work);

    qint64 placeOf(const QString &url);
    void updateFrecency(qint64 placeId, qint64 visitCount);
    // The address when it went.
    QString removePlaceIfUnvisited(qint64 placeId);
    // The addresses that hold every word, found through the trigram index; nothing when
    // there is no trigram to look for or more than bound addresses match.
    std::optional<QList<qint64>> matchingAddresses(const QString &match, const QString &words,
                                                   qint64 bound);

    QString m_filePath;
    QString m_connectionName;
    FrecencyRule m_rule;
    Trouble m_trouble;
    QSqlDatabase m_database;
    bool m_opened = false;
    bool m_unusable = false; // could not be opened at all
    bool m_writable = true;
    bool m_movedAside = false;
    bool m_toldLocked = false; // the user knows that another program holds the file
    bool m_toldNoRoom = false; // the user knows that the disk is full
    bool m_refusedForRoom = false; // the last write was refused for want of room
    int m_openAttempts = 0;
    QHash<QString, QSqlQuery> m_statements;
    std::function<bool()> m_interrupted;
    bool m_reading = false;
};
