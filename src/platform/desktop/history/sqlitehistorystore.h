#pragma once

#include "platform/api/historystore.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class HistoryDatabase;

// The history in a SQLite file of its own, worked on by one thread: the window's thread only
// queues what it asks for, so recording a visit costs it next to nothing and a slow search
// never holds it up. Writes that wait together are done in one transaction. The file opens at
// the first request, so a large history costs the program's start nothing.
class SqliteHistoryStore final : public HistoryStore
{
    Q_OBJECT

public:
    SqliteHistoryStore(const QString &filePath, FrecencyRule rule, QObject *parent = nullptr);
    // Finishes the writes asked for; reads not yet started are dropped.
    ~SqliteHistoryStore() override;

    // The per-user file that the program uses.
    static QString defaultPath();

    void recordVisit(const QString &url, const QString &title, qint64 time,
                     VisitKind kind) override;
    void setTitle(const QString &url, const QString &title) override;
    void removeAddresses(const QStringList &urls) override;
    void removeVisits(const QList<qint64> &visitIds) override;
    void clearRange(qint64 from, qint64 to) override;
    void complete(const CompletionQuery &query, QObject *context,
                  std::function<void(const QList<HistoryEntry> &)> answer) override;
    void visits(const VisitQuery &query, QObject *context,
                std::function<void(const QList<HistoryVisit> &)> answer) override;

    // Waits until everything asked so far is done; for tools and tests.
    void waitUntilIdle();

private:
    enum class JobKind { Write, Completion, Visits };
    struct Job
    {
        JobKind kind;
        quint64 generation = 0;
        std::function<void(HistoryDatabase &)> work;
    };

    void enqueue(Job job);
    void write(std::function<void(HistoryDatabase &)> work, bool changesViews = false);
    void runWorker();
    // Whether aged visits may be left to refresh, and when to look again once none were.
    // The first look waits until the program's start is over: it reads the whole table, on a
    // core that the start page's first paint needs.
    struct AgedRefresh
    {
        bool left = false;
        std::chrono::steady_clock::time_point nextCheck
            = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    };
    // With no job waiting: refreshes some aged visits, or waits for a job or the next look.
    // False once the store is stopping and the connection is closed.
    bool idleRound(std::unique_lock<std::mutex> &lock, AgedRefresh &aged);
    // The writes in one transaction, or one by one when that fails; behind those that a full
    // disk held back.
    void writeBatch(std::vector<Job> &batch);
    // Runs query on the worker and answers on the window's thread, if context is still there
    // and no newer read of the kind was asked meanwhile.
    template<typename Row>
    void read(JobKind kind, std::atomic<quint64> &reads, QObject *context,
              std::function<QList<Row>(HistoryDatabase &)> query,
              std::function<void(const QList<Row> &)> answer);
    // Says on the window's thread which addresses a removal took.
    void tellRemoved(const QStringList &urls, bool all);
    // Calls delivery on the window's thread.
    void deliver(std::function<void()> delivery);

    std::unique_ptr<HistoryDatabase> m_database;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::atomic<quint64> m_completions = 0;
    std::atomic<quint64> m_visitReads = 0;
    // The job the worker runs, read by the worker alone.
    JobKind m_running = JobKind::Write;
    quint64 m_runningGeneration = 0;
    // Writes that a full disk refused, in the order asked, tried again with the next writes or
    // after a while; read by the worker alone.
    std::vector<Job> m_held;
    std::chrono::steady_clock::time_point m_retryHeld;
    std::thread m_worker;
};
