// The history file's reads. The trigram index tells first how many addresses can match: when
// they are few, only those are read; when they are many, the rows are read in rank order (the
// best addresses, the newest visits), where matches then come soon. Every value is bound and
// the index query is built of quoted trigrams, so typed text is never read as SQL or FTS syntax.

#include "historydatabase.h"
#include "historysql.h"

#include <cmath>
#include <QSet>

using namespace HistorySql;

namespace {

// The index is counted up to this many addresses that may match.
constexpr qint64 CountedAddresses = 5000;

// Reading the addresses that may match costs about their number; reading rows in rank order
// costs about limit * rows / matches. The first is chosen while it is the cheaper.
qint64 fewAddresses(double limit, double rankedRows, double places)
{
    const double even = places * std::sqrt(limit / std::max(1.0, rankedRows));
    return qBound<qint64>(50, qint64(even), CountedAddresses);
}

const QString EntryColumns = QStringLiteral("id, url, title, frecency, host");
const QString VisitColumns = QStringLiteral("v.id, v.time, v.kind, p.url, p.title");
// Visits older than the page's start: (time, id) below (beforeTime, beforeId).
const QString Before = QStringLiteral("v.time <= ? AND (v.time < ? OR v.id < ?)");

QList<HistoryEntry> entries(QSqlQuery &query, const QString &prefix, QSet<qint64> &seen, int limit)
{
    QList<HistoryEntry> found;
    while (found.size() < limit && query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (seen.contains(id))
            continue;
        seen.insert(id);
        const QString host = query.value(4).toString();
        found.append({ query.value(1).toString(), query.value(2).toString(),
                       query.value(3).toDouble(), !prefix.isEmpty() && host.startsWith(prefix) });
    }
    query.finish();
    return found;
}

QList<HistoryVisit> visitRows(QSqlQuery &query)
{
    QList<HistoryVisit> rows;
    while (query.next())
        rows.append({ query.value(0).toLongLong(), query.value(1).toLongLong(),
                      VisitKind(query.value(2).toInt()), query.value(3).toString(),
                      query.value(4).toString() });
    query.finish();
    return rows;
}

} // namespace

qint64 HistoryDatabase::candidates(const QString &match)
{
    if (match.isEmpty())
        return std::numeric_limits<qint64>::max();
    return one(QStringLiteral("SELECT count(*) FROM (SELECT rowid FROM places_text "
                              "WHERE places_text MATCH ? LIMIT ?)"),
               { match, CountedAddresses + 1 }, 0)
        .toLongLong();
}

QList<HistoryEntry> HistoryDatabase::complete(const CompletionQuery &query)
{
    return read<QList<HistoryEntry>>([&] {
        const QString words = packedWords(query.words);
        const int limit = std::max(query.limit, 0);
        QSet<qint64> seen;
        QList<HistoryEntry> found;
        if (!query.hostPrefix.isEmpty()) {
            // Sorted from the index alone; only the rows read in that order are looked up.
            QSqlQuery &hosts
                = run(QStringLiteral("SELECT p.id, p.url, p.title, p.frecency, p.host "
                                     "FROM (SELECT id, frecency FROM places INDEXED BY "
                                     "places_host WHERE host >= ? AND host < ? "
                                     "ORDER BY frecency DESC) s "
                                     "JOIN places p ON p.id = s.id "
                                     "WHERE kestrav_match(p.url, p.title, ?) LIMIT ?"),
                      { query.hostPrefix, query.hostPrefix + QChar(0xFFFF), words, limit });
            found = entries(hosts, query.hostPrefix, seen, limit);
        }
        if (found.size() >= limit)
            return found;
        // The host matches found may come again; one more row each makes up for them.
        const int wanted = limit + int(found.size());
        const QString match = trigramQuery(query.words);
        const double places = one(QStringLiteral("SELECT max(id) FROM places"), {}, 0).toDouble();
        QSqlQuery &rest = candidates(match) <= fewAddresses(wanted, places, places)
            ? run(QStringLiteral("SELECT %1 FROM places WHERE id IN (SELECT rowid FROM places_text "
                                 "WHERE places_text MATCH ?) AND kestrav_match(url, title, ?) "
                                 "ORDER BY frecency DESC LIMIT ?")
                      .arg(EntryColumns),
                  { match, words, wanted })
            : run(
                QStringLiteral("SELECT %1 FROM places INDEXED BY places_frecency "
                               "WHERE kestrav_match(url, title, ?) ORDER BY frecency DESC LIMIT ?")
                    .arg(EntryColumns),
                { words, wanted });
        found += entries(rest, query.hostPrefix, seen, limit - int(found.size()));
        return found;
    });
}

QList<HistoryVisit> HistoryDatabase::visits(const VisitQuery &query)
{
    return read<QList<HistoryVisit>>([&] {
        const QVariantList before { query.beforeTime, query.beforeTime, query.beforeId };
        const int limit = std::max(query.limit, 0);
        if (query.words.isEmpty()) {
            QSqlQuery &newest = run(QStringLiteral("SELECT %1 FROM visits v INDEXED BY visits_time "
                                                   "JOIN places p ON p.id = v.place_id WHERE %2 "
                                                   "ORDER BY v.time DESC, v.id DESC LIMIT ?")
                                        .arg(VisitColumns, Before),
                                    before + QVariantList { limit });
            return visitRows(newest);
        }
        const QString words = packedWords(query.words);
        const QString match = trigramQuery(query.words);
        const double places = one(QStringLiteral("SELECT max(id) FROM places"), {}, 0).toDouble();
        const double visits = one(QStringLiteral("SELECT max(id) FROM visits"), {}, 0).toDouble();
        if (candidates(match) <= fewAddresses(limit, visits, places)) {
            QSqlQuery &few
                = run(QStringLiteral("SELECT %1 FROM places p CROSS JOIN visits v INDEXED BY "
                                     "visits_place ON v.place_id = p.id "
                                     "WHERE p.id IN (SELECT rowid FROM places_text WHERE "
                                     "places_text MATCH ?) AND kestrav_match(p.url, p.title, ?) "
                                     "AND %2 ORDER BY v.time DESC, v.id DESC LIMIT ?")
                          .arg(VisitColumns, Before),
                      QVariantList { match, words } + before + QVariantList { limit });
            return visitRows(few);
        }
        QSqlQuery &many = run(QStringLiteral("SELECT %1 FROM visits v INDEXED BY visits_time "
                                             "JOIN places p ON p.id = v.place_id WHERE %2 "
                                             "AND kestrav_match(p.url, p.title, ?) "
                                             "ORDER BY v.time DESC, v.id DESC LIMIT ?")
                                  .arg(VisitColumns, Before),
                              before + QVariantList { words, limit });
        return visitRows(many);
    });
}
