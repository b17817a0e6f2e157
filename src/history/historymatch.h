#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// How typed words find entries: every word must appear in the title or the address, in any
// order, whatever the case.
namespace History {

// More words than this add nothing a user needs and would only slow every comparison.
inline constexpr int MaxQueryWords = 16;

// The distinct words of the text, case-folded, longest first; a word inside another is
// left out, since the longer one already demands it.
QStringList queryWords(const QString &text);
// True when every word is in the title or the address (no words: true).
bool matchesAll(const QStringList &words, const QString &title, const QString &url);

struct TextRange
{
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const TextRange &, const TextRange &) = default;
};
// Where the words stand in text, in order, overlapping ones merged.
QList<TextRange> highlightRanges(const QStringList &words, const QString &text);

} // namespace History
