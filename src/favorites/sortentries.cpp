#include "favorites/sortentries.h"

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
    QList<qsizetype> order(n);
    std::iota(order.begin(), order.end(), qsizetype(0));
    if (n < 2)
        return order;

    // A min segment tree over positions, keyed by rank and then position, so that among
    // equal ranks the earlier position wins: that is what a scan that only replaces on
    // "strictly less" finds. Both fit one integer, which keeps the tree's updates cheap.
    // Ranks are dense, so they are not negative and at most n.
    const auto key = [](int rank, qsizetype position) {
        return (quint64(quint32(rank)) << 32) | quint64(position);
    };
    qsizetype leaves = 1;
    while (leaves < n)
        leaves *= 2;
    constexpr quint64 none = ~quint64(0);
    std::vector<quint64> tree(2 * leaves, none);
    for (qsizetype p = 0; p < n; ++p)
        tree[leaves + p] = key(ranks[p], p);
    for (qsizetype node = leaves - 1; node > 0; --node)
        tree[node] = std::min(tree[2 * node], tree[2 * node + 1]);
    const auto minimumFrom = [&](qsizetype first) {
        quint64 best = none;
        for (qsizetype lo = leaves + first, hi = leaves + n; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1)
                best = std::min(best, tree[lo++]);
            if (hi & 1)
                best = std::min(best, tree[--hi]);
        }
        return best;
    };

    for (qsizetype i = 0; i + 1 < n; ++i) {
        const qsizetype m = qsizetype(minimumFrom(i) & 0xffffffffu);
        if (m == i)
            continue;
        // The entry from position i moves to m. Position i is never searched again; only m
        // changed for the searches still to come.
        tree[leaves + m] = key(int(tree[leaves + i] >> 32), m);
        for (qsizetype node = (leaves + m) / 2; node > 0; node /= 2)
            tree[node] = std::min(tree[2 * node], tree[2 * node + 1]);
        std::swap(order[i], order[m]);
    }
    return order;
}

namespace {

// The order of n entries, found by merging the runs that end at runEnds pairwise.
template<typename Less>
std::vector<qsizetype> mergeRuns(qsizetype n, std::vector<qsizetype> ends, const Less &less)
{
    std::vector<qsizetype> byText(n);
    std::iota(byText.begin(), byText.end(), qsizetype(0));
    std::vector<qsizetype> merged(n);
    while (ends.size() > 1) {
        std::vector<qsizetype> mergedEnds;
        qsizetype start = 0;
        for (std::size_t r = 0; r < ends.size(); r += 2) {
            const qsizetype middle = ends[r];
            const qsizetype end = r + 1 < ends.size() ? ends[r + 1] : middle;
            std::merge(byText.begin() + start, byText.begin() + middle, byText.begin() + middle,
                       byText.begin() + end, merged.begin() + start, less);
            mergedEnds.push_back(end);
            start = end;
        }
        byText.swap(merged);
        ends.swap(mergedEnds);
    }
    return byText;
}

// The texts and what is known of their order: step[k] compares texts[k - 1] with texts[k].
struct Compared
{
    const QStringList &texts;
    const QCollator &collator;
    std::vector<int> step;
};

// Ranks along the sorted texts; false if two neighbours turn out to be out of order.
bool rankAlong(const Compared &compared, const std::vector<qsizetype> &byText, QList<int> &ranks)
{
    int rank = 0;
    ranks[byText[0]] = rank;
    for (qsizetype k = 1; k < qsizetype(byText.size()); ++k) {
        const qsizetype previous = byText[k - 1];
        const qsizetype current = byText[k];
        // Neighbours in the input were compared already.
        const int order = current == previous + 1
            ? compared.step[current]
            : compared.collator.compare(compared.texts[previous], compared.texts[current]);
        if (order > 0)
            return false;
        if (order < 0)
            ++rank;
        ranks[current] = rank;
    }
    return true;
}

} // namespace

QList<int> collationRanks(const QStringList &texts, const QCollator &collator)
{
    const qsizetype n = texts.size();
    QList<int> ranks(n);
    if (n == 0)
        return ranks;

    // A file this program wrote is in order already, and an add puts only a line or two out
    // of place. So the texts are sorted by merging the runs that are in order, which costs
    // about one comparison per entry for such a file; a locale comparison is the expensive
    // part of the whole sort.
    Compared compared { texts, collator, std::vector<int>(n) };
    std::vector<qsizetype> runEnds;
    for (qsizetype k = 1; k < n; ++k) {
        compared.step[k] = collator.compare(texts[k - 1], texts[k]);
        if (compared.step[k] > 0)
            runEnds.push_back(k);
    }
    runEnds.push_back(n);

    // A file put out of order by hand has many runs. In the C locale a comparison ignoring
    // case is a walk over both texts folding each character, so the texts are folded once
    // and merged as folded texts, which halves the sort's work. (Qt's own sort keys ignore
    // the case setting in the C locale; in other locales they cost more than they save.)
    // The ranks still come from comparisons, which also check that order: where the two
    // ever disagree, the comparisons decide.
    if (runEnds.size() > 2 && collator.locale().language() == QLocale::C) {
        QStringList folded;
        folded.reserve(n);
        for (const QString &text : texts)
            folded.append(text.toCaseFolded());
        const auto byFolded = [&](qsizetype a, qsizetype b) { return folded[a] < folded[b]; };
        if (rankAlong(compared, mergeRuns(n, runEnds, byFolded), ranks))
            return ranks;
    }
    const auto byComparison
        = [&](qsizetype a, qsizetype b) { return collator.compare(texts[a], texts[b]) < 0; };
    rankAlong(compared, mergeRuns(n, runEnds, byComparison), ranks);
    return ranks;
}

QList<qsizetype> SortEntries(const QStringList &texts, const QCollator &collator)
{
    return selectionSortOrder(collationRanks(texts, collator));
}

} // namespace Favorites
