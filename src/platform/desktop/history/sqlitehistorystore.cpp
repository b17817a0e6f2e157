#include "platform/desktop/history/sqlitehistorystore.h"

#include "platform/desktop/history/historydatabase.h"

#include <QMetaObject>
#include <QPointer>
#include <QStandardPaths>

namespace {

// Addresses whose frecency has aged are worked out again a few at a time while nothing else
// waits, so a request never waits long behind them.
constexpr int AgedPerRound = 50;
constexpr auto AgedCheckInterval = std::chrono::minutes(10);
// While the disk is full, the writes it refused are tried again this often, and held up to
// this many (a visit each, hours of browsing); later ones are not kept.
constexpr auto HeldRetryInterval = std::chrono::seconds(5);
constexpr std::size_t MaxHeld = 10'000;

} // namespace

SqliteHistoryStore::SqliteHistoryStore(const QString &filePath, FrecencyRule rule, QObject *parent)
    : HistoryStore(parent)
    , m_database(std::make_unique<HistoryDatabase>(
          filePath, std::move(rule),
          [this](const QString &line) { deliver([this, line] { Q_EMIT trouble(line); }); }))
    , m_worker([this] { runWorker(); })
{
    m_database->setInterruption([this] {
        const JobKind kind = m_running;
        return (kind == JobKind::Completion && m_completions.load() != m_runningGeneration)
            || (kind == JobKind::Visits && m_visitReads.load() != m_runningGeneration);
    });
}

SqliteHistoryStore::~SqliteHistoryStore()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        std::erase_if(m_jobs, [](const Job &job) { return job.kind != JobKind::Write; });
    }
    m_wake.notify_all();
    m_worker.join();
}

QString SqliteHistoryStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/history.sqlite");
}

void SqliteHistoryStore::enqueue(Job job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void SqliteHistoryStore::write(std::function<void(HistoryDatabase &)> work, bool changesViews)
{
    if (changesViews) {
        auto written = std::move(work);
        work = [this, written = std::move(written)](HistoryDatabase &database) {
            written(database);
            deliver([this] { Q_EMIT changed(); });
        };
    }
    enqueue({ JobKind::Write, 0, std::move(work) });
}

void SqliteHistoryStore::recordVisit(const QString &url, const QString &title, qint64 time,
                                     VisitKind kind)
{
    write([=](HistoryDatabase &database) { database.recordVisit(url, title, time, kind); });
}

void SqliteHistoryStore::setTitle(const QString &url, const QString &title)
{
    write([=](HistoryDatabase &database) { database.setTitle(url, title); });
}

void SqliteHistoryStore::removeAddresses(const QStringList &urls)
{
    write([=,
           this](HistoryDatabase &database) { tellRemoved(database.removeAddresses(urls), false); },
          true);
}

void SqliteHistoryStore::removeVisits(const QList<qint64> &visitIds)
{
    write([=, this](
              HistoryDatabase &database) { tellRemoved(database.removeVisits(visitIds), false); },
          true);
}

void SqliteHistoryStore::clearRange(qint64 from, qint64 to)
{
    const bool all
        = from == std::numeric_limits<qint64>::min() && to == std::numeric_limits<qint64>::max();
    write([=, this](HistoryDatabase &database) { tellRemoved(database.clearRange(from, to), all); },
          true);
}

void SqliteHistoryStore::tellRemoved(const QStringList &urls, bool all)
{
    if (all || !urls.isEmpty())
        deliver([this, urls, all] { Q_EMIT addressesRemoved(urls, all); });
}

void SqliteHistoryStore::complete(const CompletionQuery &query, QObject *context,
                                  std::function<void(const QList<HistoryEntry> &)> answer)
{
    read<HistoryEntry>(
        JobKind::Completion, m_completions, context,
        [query](HistoryDatabase &database) { return database.complete(query); }, std::move(answer));
}

void SqliteHistoryStore::visits(const VisitQuery &query, QObject *context,
                                std::function<void(const QList<HistoryVisit> &)> answer)
{
    read<HistoryVisit>(
        JobKind::Visits, m_visitReads, context,
        [query](HistoryDatabase &database) { return database.visits(query); }, std::move(answer));
}

template<typename Row>
void SqliteHistoryStore::read(JobKind kind, std::atomic<quint64> &reads, QObject *context,
                              std::function<QList<Row>(HistoryDatabase &)> query,
                              std::function<void(const QList<Row> &)> answer)
{
    QPointer<QObject> guard(context);
    const quint64 generation = ++reads;
    enqueue({ kind, generation,
              [this, &reads, generation, guard, query = std::move(query),
               answer = std::move(answer)](HistoryDatabase &database) {
                  const QList<Row> found = query(database);
                  // A newer read of the kind is asked: this answer is stale.
                  if (reads.load() != generation)
                      return;
                  deliver([guard, answer, found] {
                      if (guard)
                          answer(found);
                  });
              } });
}

void SqliteHistoryStore::deliver(std::function<void()> delivery)
{
    // Posted to the store, which lives on the window's thread and outlives the worker.
    QMetaObject::invokeMethod(this, std::move(delivery), Qt::QueuedConnection);
}

void SqliteHistoryStore::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void SqliteHistoryStore::runWorker()
{
    AgedRefresh aged;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_jobs.empty()) {
            if (!idleRound(lock, aged))
                return;
            continue;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        std::vector<Job> batch;
        if (job.kind == JobKind::Write) {
            // The writes that wait behind it go in the same transaction.
            batch.push_back(std::move(job));
            while (!m_jobs.empty() && m_jobs.front().kind == JobKind::Write) {
                batch.push_back(std::move(m_jobs.front()));
                m_jobs.pop_front();
            }
        } else {
            const quint64 newest
                = job.kind == JobKind::Completion ? m_completions.load() : m_visitReads.load();
            // A newer read of the same kind is waiting: this one's answer is already stale.
            if (job.generation != newest)
                continue;
        }
        m_busy = true;
        m_running = job.kind;
        m_runningGeneration = job.generation;
        lock.unlock();
        if (batch.empty())
            job.work(*m_database);
        else
            writeBatch(batch);
        lock.lock();
        m_busy = false;
    }
}

bool SqliteHistoryStore::idleRound(std::unique_lock<std::mutex> &lock, AgedRefresh &aged)
{
    m_idle.notify_all();
    if (m_stopping) {
        // The connection belongs to this thread and goes with it.
        lock.unlock();
        if (!m_held.empty()) {
            // A last try: the disk may have room by now.
            std::vector<Job> none;
            writeBatch(none);
            m_held.clear();
        }
        m_database->close();
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    // Also with nothing held: a refused refresh leaves the trouble said until a write goes.
    const bool waiting = !m_held.empty() || m_database->waitingForRoom();
    if (waiting && now >= m_retryHeld) {
        m_busy = true;
        lock.unlock();
        if (m_held.empty()) {
            m_database->lookForRoom();
            m_retryHeld = std::chrono::steady_clock::now() + HeldRetryInterval;
        } else {
            std::vector<Job> none;
            writeBatch(none);
        }
        lock.lock();
        m_busy = false;
        return true;
    }
    if (!aged.left && now >= aged.nextCheck)
        aged.left = true;
    if (!aged.left) {
        m_wake.wait_until(lock,
                          m_held.empty() ? aged.nextCheck : std::min(aged.nextCheck, m_retryHeld));
        return true;
    }
    m_busy = true;
    lock.unlock();
    aged.left = m_database->refreshAgedFrecencies(AgedPerRound);
    if (!aged.left)
        aged.nextCheck = std::chrono::steady_clock::now() + AgedCheckInterval;
    lock.lock();
    m_busy = false;
    return true;
}

void SqliteHistoryStore::writeBatch(std::vector<Job> &batch)
{
    if (!m_held.empty()) {
        batch.insert(batch.begin(), std::make_move_iterator(m_held.begin()),
                     std::make_move_iterator(m_held.end()));
        m_held.clear();
    }
    const auto writeAll = [this](std::vector<Job> &jobs) {
        return m_database->write([&] {
            for (Job &write : jobs)
                write.work(*m_database);
        });
    };
    HistoryDatabase::Written written = writeAll(batch);
    // One write that fails must not take the others of its batch with it.
    if (written == HistoryDatabase::Written::Lost && batch.size() > 1) {
        for (auto write = batch.begin(); write != batch.end(); ++write) {
            std::vector<Job> one;
            one.push_back(std::move(*write));
            if (writeAll(one) == HistoryDatabase::Written::NoRoom) {
                batch.erase(batch.begin(), write);
                *write = std::move(one.front());
                written = HistoryDatabase::Written::NoRoom;
                break;
            }
        }
    }
    if (written != HistoryDatabase::Written::NoRoom)
        return;
    for (Job &write : batch) {
        if (m_held.size() < MaxHeld)
            m_held.push_back(std::move(write));
    }
    m_retryHeld = std::chrono::steady_clock::now() + HeldRetryInterval;
}
