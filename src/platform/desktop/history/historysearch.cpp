// The history file's reads. The trigram index finds first the addresses that match, up to a
// bound: when they are few, only their rows are read; when they are many, the rows are read in
// rank order (the best addresses, the newest visits), where matches then come soon. Every value is
// bound and the index query is built of quoted trigrams, so typed text is never read as SQL or FTS
// syntax.

#include "platform/desktop/history/historydatabase.h"
#include "platform/desktop/history/historysql.h"

#include <cmath>
#include <optional>
#include <QSet>

using namespace HistorySql;

namespace {

// Host matches looked at, at most: typed text that no such address holds ends there.
constexpr qint64 HostRowsLookedAt = 3000;
// More addresses than this that match are never gathered one by one.
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

// Ids as a JSON array, bound as one value.
QString idList(const QList<qint64> &ids)
{
    QStringList numbers;
    for (const qint64 id : ids)
        numbers.append(QString::number(id));
    return QLatin1Char('[') + numbers.join(QLatin1Char(',')) + QLatin1Char(']');
}

} // namespace

std::optional<QList<qint64>> HistoryDatabase::matchingAddresses(const QString &match,
                                                                const QString &words, qint64 bound)
{
    if (match.isEmpty())
        return std::nullopt;
    // Counted on the index alone first: it stops early however common the words are.
    const qint64 candidates = one(QStringLiteral("SELECT count(*) FROM (SELECT rowid FROM "
                                                 "places_text WHERE places_text MATCH ? LIMIT ?)"),
                                  { match, bound + 1 }, 0)
                                  .toLongLong();
    if (candidates > bound)
        return std::nullopt;
    QSqlQuery &found = run(QStringLiteral("SELECT p.id FROM places_text f CROSS JOIN places p "
                                          "ON p.id = f.rowid WHERE places_text MATCH ? "
                                          "AND kestrav_match(p.url, p.title, ?) LIMIT ?"),
                           { match, words, bound + 1 });
    QList<qint64> ids;
    while (found.next())
        ids.append(found.value(0).toLongLong());
    found.finish();
    if (ids.size() > bound)
        return std::nullopt;
    return ids;
}

QList<HistoryEntry> HistoryDatabase::complete(const CompletionQuery &query)
{
    return read<QList<HistoryEntry>>([&] {
        const QString words = packedWords(query.words);
        const int limit = std::max(query.limit, 0);
        QSet<qint64> seen;
        QList<HistoryEntry> found;
        if (!query.hostPrefix.isEmpty()) {
            const QVariantList range { query.hostPrefix, query.hostPrefix + QChar(0xFFFF) };
            // Few hosts with the prefix: sorted from the host index; many (a short prefix): the
            // best addresses in rank order, where such hosts soon come.
            const qint64 inRange = one(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM places "
                                                      "INDEXED BY places_host WHERE host >= ? AND "
                                                      "host < ? LIMIT ?)"),
                                       range + QVariantList { CountedAddresses + 1 }, 0)
                                       .toLongLong();
            const QString ranked = inRange <= CountedAddresses
                ? QStringLiteral("SELECT id, frecency FROM places INDEXED BY places_host "
                                 "WHERE host >= ? AND host < ? ORDER BY frecency DESC")
                : QStringLiteral("SELECT id, frecency FROM places INDEXED BY places_frecency "
                                 "WHERE host >= ? AND host < ? ORDER BY frecency DESC");
            // Each address in that order is looked at until enough match; a handful usually.
            QSqlQuery &order = run(ranked + QStringLiteral(" LIMIT ?"),
                                   range + QVariantList { HostRowsLookedAt });
            while (found.size() < limit && order.next()) {
                QSqlQuery &row = run(QStringLiteral("SELECT %1 FROM places WHERE id = ? "
                                                    "AND kestrav_match(url, title, ?)")
                                         .arg(EntryColumns),
                                     { order.value(0), words });
                found += entries(row, query.hostPrefix, seen, 1);
            }
            order.finish();
        }
        if (found.size() >= limit)
            return found;
        // The host matches found may come again; one more row each makes up for them.
        const int wanted = limit + int(found.size());
        const QString match = trigramQuery(query.words);
        const double places = one(QStringLiteral("SELECT max(id) FROM places"), {}, 0).toDouble();
        const auto few = matchingAddresses(match, words, fewAddresses(wanted, places, places));
        QSqlQuery &rest = few
            ? run(
                QStringLiteral("SELECT %1 FROM places WHERE id IN (SELECT value FROM json_each(?)) "
                               "ORDER BY frecency DESC LIMIT ?")
                    .arg(EntryColumns),
                { idList(*few), wanted })
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
        if (const auto few = matchingAddresses(match, words, fewAddresses(limit, visits, places))) {
            QSqlQuery &ofFew
                = run(QStringLiteral("SELECT %1 FROM places p CROSS JOIN visits v INDEXED BY "
                                     "visits_place ON v.place_id = p.id "
                                     "WHERE p.id IN (SELECT value FROM json_each(?)) "
                                     "AND %2 ORDER BY v.time DESC, v.id DESC LIMIT ?")
                          .arg(VisitColumns, Before),
                      QVariantList { idList(*few) } + before + QVariantList { limit });
            return visitRows(ofFew);
        }
        QSqlQuery &many = match.isEmpty()
            ? run(QStringLiteral("SELECT %1 FROM visits v INDEXED BY visits_time "
                                 "JOIN places p ON p.id = v.place_id WHERE %2 "
                                 "AND kestrav_match(p.url, p.title, ?) "
                                 "ORDER BY v.time DESC, v.id DESC LIMIT ?")
                      .arg(VisitColumns, Before),
                  before + QVariantList { words, limit })
            : run(QStringLiteral("SELECT %1 FROM visits v INDEXED BY visits_time "
                                 "JOIN places p ON p.id = v.place_id WHERE %2 "
                                 "AND v.place_id IN (SELECT rowid FROM places_text WHERE "
                                 "places_text MATCH ?) AND kestrav_match(p.url, p.title, ?) "
                                 "ORDER BY v.time DESC, v.id DESC LIMIT ?")
                      .arg(VisitColumns, Before),
                  before + QVariantList { match, words, limit });
        return visitRows(many);
    });
}
