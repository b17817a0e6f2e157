#include "history/historymatch.h"

#include <algorithm>
#include <QRegularExpression>

namespace History {

QStringList queryWords(const QString &text)
{
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    QStringList words = text.toCaseFolded().split(spaces, Qt::SkipEmptyParts);
    std::stable_sort(words.begin(), words.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QStringList kept;
    for (const QString &word : std::as_const(words)) {
        const bool covered = std::any_of(kept.cbegin(), kept.cend(), [&](const QString &longer) {
            return longer.contains(word);
        });
        if (!covered)
            kept.append(word);
        if (kept.size() == MaxQueryWords)
            break;
    }
    return kept;
}

bool matchesAll(const QStringList &words, const QString &title, const QString &url)
{
    return std::all_of(words.cbegin(), words.cend(), [&](const QString &word) {
        return title.contains(word, Qt::CaseInsensitive) || url.contains(word, Qt::CaseInsensitive);
    });
}

QList<TextRange> highlightRanges(const QStringList &words, const QString &text)
{
    QList<TextRange> found;
    for (const QString &word : words) {
        if (word.isEmpty())
            continue;
        for (qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(word, at + word.size(), Qt::CaseInsensitive))
            found.append({ at, word.size() });
    }
    std::sort(found.begin(), found.end(),
              [](const TextRange &a, const TextRange &b) { return a.start < b.start; });
    QList<TextRange> merged;
    for (const TextRange &range : std::as_const(found)) {
        if (!merged.isEmpty() && range.start <= merged.last().start + merged.last().length) {
            TextRange &last = merged.last();
            last.length = std::max(last.length, range.start + range.length - last.start);
        } else {
            merged.append(range);
        }
    }
    return merged;
}

} // namespace History
