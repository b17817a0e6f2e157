#pragma once

#include <functional>
#include <limits>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// How the user came to a page: typed or chosen by the user (the address box, a recent
// address, a favorite), or followed (a link, a redirect, back and forward).
enum class VisitKind { Followed = 0, Typed = 1 };

// One visit of an address, as the ranking sees it. Times are milliseconds since the epoch.
struct VisitSample
{
    qint64 time = 0;
    VisitKind kind = VisitKind::Followed;
};

// An address's rank, and the time after which it must be worked out again (its visits age
// into a lower weight then).
struct FrecencyScore
{
    double score = 0;
    qint64 validUntil = std::numeric_limits<qint64>::max();
};

// Ranks an address by its newest visits (newest first, at most SampledVisits of them) and
// the number of all its visits. The store keeps the answer with the address.
using FrecencyRule = std::function<FrecencyScore(const QList<VisitSample> &newestFirst,
                                                 qint64 visitCount, qint64 now)>;

// An address that a completion offers.
struct HistoryEntry
{
    QString url;
    QString title;
    double frecency = 0;
    bool hostMatch = false; // its host starts with the query's host prefix
};

// One visit, as the history window lists it.
struct HistoryVisit
{
    qint64 id = 0;
    qint64 time = 0;
    VisitKind kind = VisitKind::Followed;
    QString url;
    QString title;
};

// Words are case-folded and every one must appear in the title or the address; no words
// matches everything.
struct CompletionQuery
{
    QStringList words;
    QString hostPrefix; // "" for no host tier
    int limit = 10;
};

// A page of visits, newest first, older than (beforeTime, beforeId).
struct VisitQuery
{
    QStringList words;
    qint64 beforeTime = std::numeric_limits<qint64>::max();
    qint64 beforeId = std::numeric_limits<qint64>::max();
    int limit = 200;
};

// The pages visited, kept across runs. Writes return at once and are done in the order
// asked. Reads are answered later, on the thread of context, after every write asked before
// them; an answer whose context has gone never comes, and a read overtaken by a newer read of
// the same kind may be dropped (its answer never comes). Answers that do come arrive in the
// order asked. Nothing here throws: a store that cannot keep the
// history says why once (trouble) and answers reads with what it has.
class HistoryStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int SampledVisits = 10;

    using QObject::QObject;
    ~HistoryStore() override = default;

    virtual void recordVisit(const QString &url, const QString &title, qint64 time, VisitKind kind)
        = 0;
    // The title of an address already recorded; nothing for an unknown address.
    virtual void setTitle(const QString &url, const QString &title) = 0;
    // The addresses with all their visits.
    virtual void removeAddresses(const QStringList &urls) = 0;
    // The visits; an address left without visits goes with its last one.
    virtual void removeVisits(const QList<qint64> &visitIds) = 0;
    // Every visit with from <= time <= to.
    virtual void clearRange(qint64 from, qint64 to) = 0;

    // The best addresses for the words: host matches first, then by frecency, at most limit.
    virtual void complete(const CompletionQuery &query, QObject *context,
                          std::function<void(const QList<HistoryEntry> &)> answer)
        = 0;
    virtual void visits(const VisitQuery &query, QObject *context,
                        std::function<void(const QList<HistoryVisit> &)> answer)
        = 0;

Q_SIGNALS:
    // Entries were removed: what a view shows may be gone.
    void changed();
    // These addresses went with their last visit; all: every address went.
    void addressesRemoved(const QStringList &urls, bool all);
    // One line for the status bar about the history file: damaged and started anew, not kept
    // from now on and why, or kept in memory while the disk is full. Said once for each
    // cause; an empty line says that the trouble is over.
    void trouble(const QString &line);
};
