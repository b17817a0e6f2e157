// The history file's reads. Each first looks at the rows that rank first (the best addresses,
// the newest visits) for a bounded number of rows; where that finds too few, the trigram
// index narrows the search to the rows that can match. Every value is bound, and the index
// query is built of quoted trigrams, so no typed text is ever read as SQL or as FTS syntax.

#include "historydatabase.h"

#include "historysql.h"

#include <QSet>

using namespace HistorySql;

namespace {

// Rows looked at in rank order before the index is asked.
constexpr qint64 AddressScanBudget = 3000;
constexpr qint64 VisitScanBudget = 3000;
// Up to this many addresses that may match, their visits are gathered address by address;
// beyond it, visits are scanned newest first, since matching ones are then frequent.
constexpr qint64 FewAddresses = 4000;

const QString EntryColumns = QStringLiteral("id, url, title, frecency, host");

QList<HistoryEntry> entries(QSqlQuery &query, const QString &prefix, QSet<qint64> &seen, int limit)
{
    QList<HistoryEntry> found;
    while (found.size() < limit && query.next()) {
        if (seen.contains(query.value(0).toLongLong()))
            continue;
        seen.insert(query.value(0).toLongLong());
        const QString host = query.value(4).toString();
        found.append({ query.value(1).toString(), query.value(2).toString(),
                       query.value(3).toDouble(), !prefix.isEmpty() && host.startsWith(prefix) });
    }
    return found;
}

QList<HistoryVisit> visitRows(QSqlQuery &query)
{
    QList<HistoryVisit> rows;
    while (query.next())
        rows.append({ query.value(0).toLongLong(), query.value(1).toLongLong(),
                      VisitKind(query.value(2).toInt()), query.value(3).toString(),
                      query.value(4).toString() });
    return rows;
}

// Visits older than the page's start: (time, id) below (beforeTime, beforeId).
const QString Before = QStringLiteral("v.time <= :time AND (v.time < :time OR v.id < :id)");

} // namespace

QList<HistoryEntry> HistoryDatabase::complete(const CompletionQuery &query)
{
    return read<QList<HistoryEntry>>([&] {
        const QString words = packedWords(query.words);
        const int limit = std::max(query.limit, 0);
        QSet<qint64> seen;
        QList<HistoryEntry> found;
        if (!query.hostPrefix.isEmpty()) {
            QSqlQuery hosts = run(m_database,
                                  QStringLiteral("SELECT %1 FROM places INDEXED BY places_host "
                                                 "WHERE host >= ? AND host < ? "
                                                 "AND kestrav_match(url, title, ?) "
                                                 "ORDER BY frecency DESC LIMIT ?")
                                      .arg(EntryColumns),
                                  { query.hostPrefix, query.hostPrefix + QChar(0xFFFF), words, limit });
            found = entries(hosts, query.hostPrefix, seen, limit);
        }
        if (found.size() >= limit)
            return found;
        // The host matches found may come again below; one more row each makes up for them.
        const int wanted = limit + int(found.size());
        QSqlQuery best = run(m_database,
                             QStringLiteral("SELECT %1 FROM (SELECT %1 FROM places INDEXED BY "
                                            "places_frecency ORDER BY frecency DESC LIMIT ?) "
                                            "WHERE kestrav_match(url, title, ?) LIMIT ?")
                                 .arg(EntryColumns),
                             { AddressScanBudget, words, wanted });
        QSet<qint64> seenFirst = seen;
        QList<HistoryEntry> first = entries(best, query.hostPrefix, seenFirst, limit - int(found.size()));
        if (found.size() + first.size() >= limit) {
            found += first;
            return found;
        }
        const QString match = trigramQuery(query.words);
        QSqlQuery rest = match.isEmpty()
            ? run(m_database,
                  QStringLiteral("SELECT %1 FROM places INDEXED BY places_frecency "
                                 "WHERE kestrav_match(url, title, ?) ORDER BY frecency DESC LIMIT ?")
                      .arg(EntryColumns),
                  { words, wanted })
            : run(m_database,
                  QStringLiteral("SELECT %1 FROM places WHERE id IN (SELECT rowid FROM places_text "
                                 "WHERE places_text MATCH ?) AND kestrav_match(url, title, ?) "
                                 "ORDER BY frecency DESC LIMIT ?")
                      .arg(EntryColumns),
                  { match, words, wanted });
        found += entries(rest, query.hostPrefix, seen, limit - int(found.size()));
        return found;
    });
}

QList<HistoryVisit> HistoryDatabase::visits(const VisitQuery &query)
{
    return read<QList<HistoryVisit>>([&] {
        const int limit = std::max(query.limit, 0);
        const QString columns = QStringLiteral("v.id, v.time, v.kind, p.url, p.title");
        const auto bindPage = [&](QSqlQuery &statement) {
            statement.bindValue(QStringLiteral(":time"), query.beforeTime);
            statement.bindValue(QStringLiteral(":id"), query.beforeId);
            statement.bindValue(QStringLiteral(":limit"), limit);
        };
        const auto runNamed = [&](const QString &text, const QVariantMap &more) {
            QSqlQuery statement(m_database);
            statement.setForwardOnly(true);
            if (!statement.prepare(text))
                fail(statement);
            bindPage(statement);
            for (auto it = more.cbegin(); it != more.cend(); ++it)
                statement.bindValue(it.key(), it.value());
            if (!statement.exec())
                fail(statement);
            return statement;
        };
        if (query.words.isEmpty()) {
            QSqlQuery page = runNamed(QStringLiteral("SELECT %1 FROM visits v INDEXED BY visits_time "
                                                     "JOIN places p ON p.id = v.place_id WHERE %2 "
                                                     "ORDER BY v.time DESC, v.id DESC LIMIT :limit")
                                          .arg(columns, Before),
                                      {});
            return visitRows(page);
        }
        const QString words = packedWords(query.words);
        // The newest visits first, a bounded number of them.
        QSqlQuery newest = runNamed(
            QStringLiteral("SELECT v.id, v.time, v.kind, p.url, p.title, v.scanned FROM "
                           "(SELECT v.id, v.time, v.kind, v.place_id, count(*) OVER () AS scanned "
                           "FROM visits v INDEXED BY visits_time WHERE %1 "
                           "ORDER BY v.time DESC, v.id DESC LIMIT :budget) v "
                           "JOIN places p ON p.id = v.place_id "
                           "WHERE kestrav_match(p.url, p.title, :words) "
                           "ORDER BY v.time DESC, v.id DESC LIMIT :limit")
                .arg(Before),
            { { QStringLiteral(":budget"), VisitScanBudget }, { QStringLiteral(":words"), words } });
        QList<HistoryVisit> rows;
        qint64 scanned = 0;
        while (newest.next()) {
            rows.append({ newest.value(0).toLongLong(), newest.value(1).toLongLong(),
                          VisitKind(newest.value(2).toInt()), newest.value(3).toString(),
                          newest.value(4).toString() });
            scanned = newest.value(5).toLongLong();
        }
        if (rows.size() >= limit || (!rows.isEmpty() && scanned < VisitScanBudget))
            return rows;
        const QString match = trigramQuery(query.words);
        const qint64 candidates = match.isEmpty()
            ? FewAddresses + 1
            : one(m_database,
                  QStringLiteral("SELECT count(*) FROM (SELECT rowid FROM places_text "
                                 "WHERE places_text MATCH ? LIMIT ?)"),
                  { match, FewAddresses + 1 }, 0)
                  .toLongLong();
        const QString matching = match.isEmpty()
            ? QStringLiteral("kestrav_match(p.url, p.title, :words)")
            : QStringLiteral("p.id IN (SELECT rowid FROM places_text WHERE places_text MATCH "
                             ":match) AND kestrav_match(p.url, p.title, :words)");
        QVariantMap values { { QStringLiteral(":words"), words } };
        if (!match.isEmpty())
            values.insert(QStringLiteral(":match"), match);
        // Few addresses: their visits, address by address; many: visits newest first.
        QSqlQuery rest = runNamed(
            candidates <= FewAddresses
                ? QStringLiteral("SELECT %1 FROM places p CROSS JOIN visits v INDEXED BY "
                                 "visits_place ON v.place_id = p.id WHERE %2 AND %3 "
                                 "ORDER BY v.time DESC, v.id DESC LIMIT :limit")
                      .arg(columns, matching, Before)
                : QStringLiteral("SELECT %1 FROM visits v INDEXED BY visits_time "
                                 "JOIN places p ON p.id = v.place_id WHERE %3 AND %2 "
                                 "ORDER BY v.time DESC, v.id DESC LIMIT :limit")
                      .arg(columns, matching, Before),
            values);
        return visitRows(rest);
    });
}
