#pragma once

#include <QCollator>
#include <QList>
#include <QStringList>

namespace Favorites {

// Favorites sort ascending in the user's locale, ignoring letter case.
QCollator favoritesCollator();

// The order of a selection sort that, for each position in turn, takes the first of the
// smallest remaining ranks and swaps it into place. Such a sort is not stable: the swaps
// carry equal entries past one another, and the file's order has always depended on
// exactly that, so we reproduce it in O(n log n) instead of replacing it by a stable sort.
// Returns, for each position of the sorted result, the index of the input that lands there.
QList<qsizetype> selectionSortOrder(const QList<int> &ranks);

// Dense ranks of the texts under the collator: equal texts share a rank, a smaller rank
// sorts first.
QList<int> collationRanks(const QStringList &texts, const QCollator &collator);

// The selection-sort order of the texts under the collator (see selectionSortOrder).
QList<qsizetype> SortEntries(const QStringList &texts,
                             const QCollator &collator = favoritesCollator());

} // namespace Favorites
