#include "fakehistorystore.h"

#include <algorithm>
#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace {

bool holdsAll(const QStringList &words, const QString &url, const QString &title)
{
    return std::all_of(words.cbegin(), words.cend(), [&](const QString &word) {
        return url.contains(word, Qt::CaseInsensitive) || title.contains(word, Qt::CaseInsensitive);
    });
}

QString hostKey(const QString &url)
{
    QString host = QUrl(url).host().toLower();
    return host.startsWith(QLatin1String("www.")) ? host.mid(4) : host;
}

} // namespace

FakeHistoryStore::FakeHistoryStore(FrecencyRule rule, QObject *parent)
    : HistoryStore(parent)
    , m_rule(std::move(rule))
{
}

bool FakeHistoryStore::writable()
{
    if (m_refusal.isEmpty())
        return true;
    if (!m_refusalSaid) {
        m_refusalSaid = true;
        const QString line = m_refusal;
        answerLater(this, [this, line] { Q_EMIT trouble(line); });
    }
    return false;
}

void FakeHistoryStore::refuseWrites(const QString &reason)
{
    m_refusal = reason;
}

FakeHistoryStore::Place *FakeHistoryStore::placeOf(const QString &url)
{
    const auto found = std::find_if(places.begin(), places.end(),
                                    [&](const Place &place) { return place.url == url; });
    return found == places.end() ? nullptr : &*found;
}

void FakeHistoryStore::rank(Place &place)
{
    QList<VisitSample> samples;
    for (auto it = place.visits.crbegin();
         it != place.visits.crend() && samples.size() < SampledVisits; ++it)
        samples.append({ it->time, it->kind });
    place.frecency
        = m_rule(samples, place.visits.size(), QDateTime::currentMSecsSinceEpoch()).score;
}

void FakeHistoryStore::recordVisit(const QString &url, const QString &title, qint64 time,
                                   VisitKind kind)
{
    if (!writable())
        return;
    Place *place = placeOf(url);
    if (!place) {
        places.append({ url, QString(), {}, 0 });
        place = &places.last();
    }
    if (!title.isEmpty())
        place->title = title;
    place->visits.append({ m_nextVisitId++, time, kind, url, QString() });
    std::stable_sort(place->visits.begin(), place->visits.end(),
                     [](const HistoryVisit &a, const HistoryVisit &b) { return a.time < b.time; });
    rank(*place);
}

void FakeHistoryStore::setTitle(const QString &url, const QString &title)
{
    if (!writable())
        return;
    if (Place *place = placeOf(url))
        place->title = title;
}

void FakeHistoryStore::removeAddresses(const QStringList &urls)
{
    if (!writable())
        return;
    QStringList removed;
    for (const Place &place : std::as_const(places)) {
        if (urls.contains(place.url))
            removed.append(place.url);
    }
    places.removeIf([&](const Place &place) { return urls.contains(place.url); });
    tellRemoved(removed, false);
}

void FakeHistoryStore::removeVisits(const QList<qint64> &visitIds)
{
    if (!writable())
        return;
    for (Place &place : places) {
        place.visits.removeIf(
            [&](const HistoryVisit &visit) { return visitIds.contains(visit.id); });
        rank(place);
    }
    tellRemoved(removeUnvisited(), false);
}

void FakeHistoryStore::clearRange(qint64 from, qint64 to)
{
    if (!writable())
        return;
    for (Place &place : places) {
        place.visits.removeIf(
            [&](const HistoryVisit &visit) { return visit.time >= from && visit.time <= to; });
        rank(place);
    }
    const bool all
        = from == std::numeric_limits<qint64>::min() && to == std::numeric_limits<qint64>::max();
    const QStringList removed = removeUnvisited();
    tellRemoved(all ? QStringList() : removed, all);
}

QStringList FakeHistoryStore::removeUnvisited()
{
    QStringList removed;
    for (const Place &place : std::as_const(places)) {
        if (place.visits.isEmpty())
            removed.append(place.url);
    }
    places.removeIf([](const Place &place) { return place.visits.isEmpty(); });
    return removed;
}

void FakeHistoryStore::tellRemoved(const QStringList &urls, bool all)
{
    answerLater(this, [this, urls, all] {
        Q_EMIT changed();
        if (all || !urls.isEmpty())
            Q_EMIT addressesRemoved(urls, all);
    });
}

void FakeHistoryStore::complete(const CompletionQuery &query, QObject *context,
                                std::function<void(const QList<HistoryEntry> &)> answer)
{
    QList<HistoryEntry> found;
    for (const Place &place : std::as_const(places)) {
        if (holdsAll(query.words, place.url, place.title))
            found.append(
                { place.url, place.title, place.frecency,
                  !query.hostPrefix.isEmpty() && hostKey(place.url).startsWith(query.hostPrefix) });
    }
    std::stable_sort(found.begin(), found.end(), [](const HistoryEntry &a, const HistoryEntry &b) {
        return a.hostMatch != b.hostMatch ? a.hostMatch : a.frecency > b.frecency;
    });
    if (found.size() > query.limit)
        found.resize(std::max(query.limit, 0));
    answerLater(context, [answer, found] { answer(found); });
}

void FakeHistoryStore::visits(const VisitQuery &query, QObject *context,
                              std::function<void(const QList<HistoryVisit> &)> answer)
{
    QList<HistoryVisit> found;
    for (const Place &place : std::as_const(places)) {
        if (!holdsAll(query.words, place.url, place.title))
            continue;
        for (HistoryVisit visit : place.visits) {
            if (visit.time > query.beforeTime
                || (visit.time == query.beforeTime && visit.id >= query.beforeId))
                continue;
            visit.title = place.title;
            found.append(visit);
        }
    }
    std::sort(found.begin(), found.end(), [](const HistoryVisit &a, const HistoryVisit &b) {
        return a.time != b.time ? a.time > b.time : a.id > b.id;
    });
    if (found.size() > query.limit)
        found.resize(std::max(query.limit, 0));
    answerLater(context, [answer, found] { answer(found); });
}

void FakeHistoryStore::answerLater(QObject *context, std::function<void()> answer)
{
    if (m_holding) {
        m_held.append({ QPointer<QObject>(context), std::move(answer) });
        return;
    }
    QTimer::singleShot(0, context, std::move(answer));
}

void FakeHistoryStore::releaseAnswers()
{
    const auto held = std::exchange(m_held, {});
    for (const auto &[context, answer] : held) {
        if (context)
            answer();
    }
}
