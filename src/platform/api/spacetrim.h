#pragma once

#include <QtGlobal>

// Leading and trailing space characters removed; a tab or a line break is not a space.
// Stored lists (recent addresses, favorites) trim exactly this, never other white space.
template<typename Text> Text trimSpaces(const Text &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == ' ')
        ++first;
    while (last > first && text.at(last - 1) == ' ')
        --last;
    return text.sliced(first, last - first);
}
