// The history file's writes: visits, titles, removals and the ageing of frecencies.

#include "platform/desktop/history/historydatabase.h"
#include "platform/desktop/history/historysql.h"

#include <limits>
#include <QDateTime>

using namespace HistorySql;

qint64 HistoryDatabase::placeOf(const QString &url)
{
    return one(QStringLiteral("SELECT id FROM places WHERE url_hash = ? AND url = ?"),
               { addressHash(url), url }, 0)
        .toLongLong();
}

void HistoryDatabase::recordVisit(const QString &url, const QString &title, qint64 time,
                                  VisitKind kind)
{
    qint64 place = placeOf(url);
    qint64 count = 0;
    if (place == 0) {
        QSqlQuery &added = run(
            QStringLiteral("INSERT INTO places (url_hash, url, host, title) "
                           "VALUES (?, ?, ?, ?)"),
            { addressHash(url), url, hostKey(url), title.isNull() ? QStringLiteral("") : title });
        place = added.lastInsertId().toLongLong();
        added.finish();
    } else {
        count = one(QStringLiteral("SELECT visit_count FROM places WHERE id = ?"), { place }, 0)
                    .toLongLong();
        if (!title.isEmpty())
            exec(QStringLiteral("UPDATE places SET title = ? WHERE id = ? AND title <> ?"),
                 { title, place, title });
    }
    exec(QStringLiteral("INSERT INTO visits (place_id, time, kind) VALUES (?, ?, ?)"),
         { place, time, int(kind) });
    updateFrecency(place, count + 1);
}

void HistoryDatabase::updateFrecency(qint64 placeId, qint64 visitCount)
{
    QSqlQuery &recent = run(QStringLiteral("SELECT time, kind FROM visits WHERE place_id = ? "
                                           "ORDER BY time DESC LIMIT %1")
                                .arg(HistoryStore::SampledVisits),
                            { placeId });
    QList<VisitSample> samples;
    while (recent.next())
        samples.append({ recent.value(0).toLongLong(), VisitKind(recent.value(1).toInt()) });
    recent.finish();
    const FrecencyScore score = m_rule(samples, visitCount, QDateTime::currentMSecsSinceEpoch());
    exec(QStringLiteral(
             "UPDATE places SET visit_count = ?, frecency = ?, recalc_at = ? WHERE id = ?"),
         { visitCount, score.score, score.validUntil, placeId });
}

void HistoryDatabase::setTitle(const QString &url, const QString &title)
{
    exec(
        QStringLiteral("UPDATE places SET title = ? WHERE url_hash = ? AND url = ? AND title <> ?"),
        { title.isNull() ? QStringLiteral("") : title, addressHash(url), url,
          title.isNull() ? QStringLiteral("") : title });
}

QStringList HistoryDatabase::removeAddresses(const QStringList &urls)
{
    QStringList removed;
    for (const QString &url : urls) {
        const qint64 place = placeOf(url);
        if (place == 0)
            continue;
        exec(QStringLiteral("DELETE FROM visits WHERE place_id = ?"), { place });
        exec(QStringLiteral("DELETE FROM places WHERE id = ?"), { place });
        removed.append(url);
    }
    return removed;
}

QString HistoryDatabase::removePlaceIfUnvisited(qint64 placeId)
{
    const qint64 left
        = one(QStringLiteral("SELECT count(*) FROM visits WHERE place_id = ?"), { placeId }, 0)
              .toLongLong();
    if (left != 0) {
        updateFrecency(placeId, left);
        return {};
    }
    const QString url
        = one(QStringLiteral("SELECT url FROM places WHERE id = ?"), { placeId }).toString();
    exec(QStringLiteral("DELETE FROM places WHERE id = ?"), { placeId });
    return url;
}

QStringList HistoryDatabase::removeVisits(const QList<qint64> &visitIds)
{
    QStringList removed;
    for (const qint64 id : visitIds) {
        const qint64 place
            = one(QStringLiteral("SELECT place_id FROM visits WHERE id = ?"), { id }, 0)
                  .toLongLong();
        if (place == 0)
            continue;
        exec(QStringLiteral("DELETE FROM visits WHERE id = ?"), { id });
        if (const QString url = removePlaceIfUnvisited(place); !url.isEmpty())
            removed.append(url);
    }
    return removed;
}

QStringList HistoryDatabase::clearRange(qint64 from, qint64 to)
{
    if (from == std::numeric_limits<qint64>::min() && to == std::numeric_limits<qint64>::max()) {
        // Everything: the text index is emptied at once instead of row by row.
        exec(QStringLiteral("DELETE FROM visits"));
        exec(QStringLiteral("DROP TRIGGER places_removed"));
        exec(QStringLiteral("DELETE FROM places"));
        exec(QStringLiteral("INSERT INTO places_text (places_text) VALUES ('delete-all')"));
        exec(QStringLiteral("CREATE TRIGGER places_removed AFTER DELETE ON places BEGIN "
                            "INSERT INTO places_text (places_text, rowid, url, title) "
                            "VALUES ('delete', old.id, old.url, old.title); END"));
        return {};
    }
    QSqlQuery &touched = run(QStringLiteral("SELECT DISTINCT place_id FROM visits "
                                            "WHERE time BETWEEN ? AND ?"),
                             { from, to });
    QList<qint64> places;
    while (touched.next())
        places.append(touched.value(0).toLongLong());
    touched.finish();
    exec(QStringLiteral("DELETE FROM visits WHERE time BETWEEN ? AND ?"), { from, to });
    QStringList removed;
    for (const qint64 place : std::as_const(places)) {
        if (const QString url = removePlaceIfUnvisited(place); !url.isEmpty())
            removed.append(url);
    }
    return removed;
}

bool HistoryDatabase::refreshAgedFrecencies(int count)
{
    if (!m_opened || !m_writable)
        return false;
    bool more = false;
    write([&] {
        QSqlQuery &aged = run(QStringLiteral("SELECT id, visit_count FROM places "
                                             "WHERE recalc_at <= ? LIMIT ?"),
                              { QDateTime::currentMSecsSinceEpoch(), count });
        QList<QPair<qint64, qint64>> places;
        while (aged.next())
            places.append({ aged.value(0).toLongLong(), aged.value(1).toLongLong() });
        aged.finish();
        for (const auto &[place, visits] : std::as_const(places))
            updateFrecency(place, visits);
        more = places.size() == count;
    });
    return more;
}
