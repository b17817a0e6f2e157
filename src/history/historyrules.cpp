#include "history/historyrules.h"

#include <cmath>
#include <QUrl>

namespace History {

namespace {

constexpr qint64 DayMs = 24LL * 60 * 60 * 1000;

// Age limits in days and the weight of a visit within them; older visits weigh the last.
struct AgeBucket
{
    int days;
    int weight;
};
constexpr AgeBucket AgeBuckets[] = { { 4, 100 }, { 14, 70 }, { 31, 50 }, { 90, 30 } };
constexpr int OldestWeight = 10;

// Percent of the age weight that a visit of each kind earns.
int kindBonus(VisitKind kind)
{
    return kind == VisitKind::Typed ? 2000 : 100;
}

QString withoutScheme(const QString &text)
{
    const qsizetype separator = text.indexOf(QLatin1String("://"));
    return separator >= 0 ? text.mid(separator + 3) : text;
}

QString withoutWww(const QString &host)
{
    return host.startsWith(QLatin1String("www.")) ? host.mid(4) : host;
}

} // namespace

bool isRecorded(const QString &url)
{
    if (url.trimmed().isEmpty() || url.size() > MaxAddressBytes
        || url.toUtf8().size() > MaxAddressBytes)
        return false;
    const qsizetype colon = url.indexOf(QLatin1Char(':'));
    const QString scheme = colon > 0 ? url.left(colon).toLower() : QString();
    static const QStringList ownSchemes
        = { QStringLiteral("qrc"), QStringLiteral("about"), QStringLiteral("data"),
            QStringLiteral("chrome"), QStringLiteral("chrome-error"), QStringLiteral("devtools"),
            QStringLiteral("blob"), QStringLiteral("javascript"), QStringLiteral("view-source"),
            // The reader view records the page it was opened from, not itself.
            QStringLiteral("kestrav-reader") };
    return !ownSchemes.contains(scheme);
}

QString recordedTitle(const QString &title)
{
    if (title.size() <= MaxTitleLength)
        return title;
    qsizetype cut = MaxTitleLength;
    if (title.at(cut - 1).isHighSurrogate())
        --cut;
    return title.left(cut);
}

QString hostOf(const QString &url)
{
    // A favorite may be kept without its scheme.
    const QUrl address
        = url.contains(QLatin1String("://")) ? QUrl(url) : QUrl(QStringLiteral("http://") + url);
    return withoutWww(address.host().toLower());
}

QString hostPrefix(const QString &typed)
{
    const QString text = typed.trimmed().toCaseFolded();
    if (text.isEmpty() || text.contains(QLatin1Char(' ')))
        return QString();
    QString rest = withoutWww(withoutScheme(text));
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        rest.truncate(slash);
    return rest;
}

FrecencyScore frecency(const QList<VisitSample> &newestFirst, qint64 visitCount, qint64 now)
{
    FrecencyScore result;
    const qsizetype sampled = std::min<qsizetype>(newestFirst.size(), HistoryStore::SampledVisits);
    if (sampled == 0 || visitCount <= 0) {
        result.score = 0;
        return result;
    }
    double points = 0;
    for (qsizetype i = 0; i < sampled; ++i) {
        const VisitSample &visit = newestFirst.at(i);
        const qint64 age = std::max<qint64>(0, now - visit.time);
        int weight = OldestWeight;
        for (const AgeBucket &bucket : AgeBuckets) {
            const qint64 limit = bucket.days * DayMs;
            if (age <= limit) {
                weight = bucket.weight;
                // The score holds until this visit ages out of its bucket.
                result.validUntil = std::min(result.validUntil, visit.time + limit + 1);
                break;
            }
        }
        points += weight * kindBonus(visit.kind) / 100.0;
    }
    result.score = std::ceil(double(visitCount) * points / double(sampled));
    return result;
}

} // namespace History
