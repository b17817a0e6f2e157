#include "history/suggestions.h"

#include "history/historymatch.h"
#include "history/historyrules.h"

#include <algorithm>
#include <QHash>

namespace History {

QList<Suggestion> rankSuggestions(const QList<HistoryEntry> &history, const QStringList &favorites,
                                  const QString &typed, int limit)
{
    const QStringList words = queryWords(typed);
    if (words.isEmpty())
        return {};
    const QString prefix = hostPrefix(typed);
    QList<Suggestion> ranked;
    QHash<QString, qsizetype> byUrl;
    for (const HistoryEntry &entry : history) {
        if (byUrl.contains(entry.url))
            continue;
        byUrl.insert(entry.url, ranked.size());
        ranked.append({ entry.url, entry.title, entry.frecency, entry.hostMatch, false });
    }
    for (const QString &favorite : favorites) {
        const QString url = favorite.trimmed();
        if (url.isEmpty() || !matchesAll(words, QString(), url))
            continue;
        if (const auto found = byUrl.constFind(url); found != byUrl.cend()) {
            Suggestion &known = ranked[*found];
            if (!known.favorite) {
                known.favorite = true;
                known.frecency += FavoriteBonus;
            }
            continue;
        }
        byUrl.insert(url, ranked.size());
        const bool hostMatch = !prefix.isEmpty() && hostOf(url).startsWith(prefix);
        ranked.append({ url, QString(), FavoriteBonus, hostMatch, true });
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const Suggestion &a, const Suggestion &b) {
        if (a.hostMatch != b.hostMatch)
            return a.hostMatch;
        if (a.frecency != b.frecency)
            return a.frecency > b.frecency;
        return a.url < b.url;
    });
    if (ranked.size() > limit)
        ranked.resize(std::max(limit, 0));
    return ranked;
}

} // namespace History
