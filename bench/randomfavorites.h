#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

// Addresses with mixed letter case and some exact repeats, as a long hand-kept list has.
inline QList<QByteArray> randomFavorites(int count, QRandomGenerator &random)
{
    static const char *const schemes[] = { "http://", "https://", "HTTP://", "https://www." };
    QList<QByteArray> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (!entries.isEmpty() && random.bounded(20) == 0) {
            entries.append(entries.at(random.bounded(entries.size())));
            continue;
        }
        QByteArray entry = schemes[random.bounded(4)];
        for (int length = 3 + random.bounded(20); length > 0; --length) {
            const char letter = char('a' + random.bounded(26));
            entry += random.bounded(5) == 0 ? char(letter - 'a' + 'A') : letter;
        }
        entry += ".example/";
        entries.append(entry);
    }
    return entries;
}
