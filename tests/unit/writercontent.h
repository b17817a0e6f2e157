#pragma once

#include <QByteArray>

// The two favorites files the store writer alternates between, so that the crash-safety test
// knows the only contents a whole file may have.
inline QByteArray favoritesContent(char letter, int entries)
{
    QByteArray bytes;
    for (int i = 0; i < entries; ++i)
        bytes += "http://" + QByteArray(1, letter) + QByteArray::number(i) + ".test/\r\n";
    return bytes;
}

// The lines of the favorites file that the store writer imports a bookmarks file into.
inline constexpr int ImportedInto = 2000;
