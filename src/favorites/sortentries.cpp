#include "sortentries.h"

#include <algorithm>
#include <numeric>
#include <QLocale>
#include <vector>

namespace Favorites {

QCollator favoritesCollator()
{
    QCollator collator { QLocale() };
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QList<qsizetype> selectionSortOrder(const QList<int> &ranks)
{
    const qsizetype n = ranks.size();
    QList<int> rank = ranks;
    QList<qsizetype> order(n);
    std::iota(order.begin(), order.end(), qsizetype(0));
    if (n < 2)
        return order;

    // A min segment tree over positions. Among equal ranks the earlier position wins,
    // which is what a scan that only replaces on "strictly less" finds.
    qsizetype leaves = 1;
    while (leaves < n)
        leaves *= 2;
    constexpr qsizetype none = -1;
    std::vector<qsizetype> tree(2 * leaves, none);
    const auto better = [&rank](qsizetype a, qsizetype b) {
        if (a == none)
            return b;
        if (b == none)
            return a;
        if (rank[b] < rank[a] || (rank[b] == rank[a] && b < a))
            return b;
        return a;
    };
    for (qsizetype p = 0; p < n; ++p)
        tree[leaves + p] = p;
    for (qsizetype node = leaves - 1; node > 0; --node)
        tree[node] = better(tree[2 * node], tree[2 * node + 1]);
    const auto refresh = [&](qsizetype p) {
        for (qsizetype node = (leaves + p) / 2; node > 0; node /= 2)
            tree[node] = better(tree[2 * node], tree[2 * node + 1]);
    };
    const auto minimumFrom = [&](qsizetype first) {
        qsizetype best = none;
        for (qsizetype lo = leaves + first, hi = leaves + n; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1)
                best = better(best, tree[lo++]);
            if (hi & 1)
                best = better(best, tree[--hi]);
        }
        return best;
    };

    for (qsizetype i = 0; i + 1 < n; ++i) {
        const qsizetype m = minimumFrom(i);
        if (m == i)
            continue;
        std::swap(rank[i], rank[m]);
        std::swap(order[i], order[m]);
        // Position i is never searched again; only m changed for the searches still to come.
        refresh(m);
    }
    return order;
}

QList<int> collationRanks(const QStringList &texts, const QCollator &collator)
{
    const qsizetype n = texts.size();
    QList<qsizetype> byText(n);
    std::iota(byText.begin(), byText.end(), qsizetype(0));
    std::sort(byText.begin(), byText.end(),
              [&](qsizetype a, qsizetype b) { return collator.compare(texts[a], texts[b]) < 0; });
    QList<int> ranks(n);
    int rank = 0;
    for (qsizetype k = 0; k < n; ++k) {
        if (k > 0 && collator.compare(texts[byText[k - 1]], texts[byText[k]]) < 0)
            ++rank;
        ranks[byText[k]] = rank;
    }
    return ranks;
}

QList<qsizetype> SortEntries(const QStringList &texts, const QCollator &collator)
{
    return selectionSortOrder(collationRanks(texts, collator));
}

} // namespace Favorites
