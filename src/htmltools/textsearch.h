#pragma once

#include <QString>

namespace HtmlTools {

struct TextMatch
{
    qsizetype start = -1; // -1 when there is no match
    int ordinal = 0; // the match's place among all matches, from 1
    int count = 0; // all matches in the text
};

// The first match of needle at or after `from`, or when backward the last one before it,
// wrapping around the text's ends; with its place among all matches. Matches do not overlap.
TextMatch findInText(QStringView text, QStringView needle, Qt::CaseSensitivity cs, qsizetype from,
                     bool backward);

} // namespace HtmlTools
