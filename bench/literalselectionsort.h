#pragma once

#include <numeric>
#include <QList>

// The favorites sort written out the long way: for each position, scan the rest for an entry
// strictly less than the current minimum, then swap the minimum into place. Quadratic; kept
// only as the reference that the fast sort is measured and checked against.
// Returns, for each sorted position, the index of the input that lands there.
template<typename Less> QList<qsizetype> literalSelectionSort(qsizetype count, Less less)
{
    QList<qsizetype> entries(count);
    std::iota(entries.begin(), entries.end(), qsizetype(0));
    for (qsizetype i = 0; i + 1 < count; ++i) {
        qsizetype m = i;
        qsizetype v = entries[i];
        for (qsizetype j = i + 1; j < count; ++j) {
            if (less(entries[j], v)) {
                v = entries[j];
                m = j;
            }
        }
        entries[m] = entries[i];
        entries[i] = v;
    }
    return entries;
}
