// Favorites.txt as any bytes, and any text typed as the address to add.
// Input: the address (UTF-8), a NUL byte, then the file's bytes.

#include "favorites/favoritesfile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QString address = QString::fromUtf8(split < 0 ? input : input.left(split));
    const QByteArray fileBytes = split < 0 ? QByteArray() : input.mid(split + 1);

    QStringList listed;
    for (const Favorites::FavoriteEntry &entry : Favorites::readEntries(fileBytes))
        listed.append(entry.text);
    const Favorites::AddResult result = Favorites::addFavorite(fileBytes, listed, address);
    if (result.outcome != Favorites::AddOutcome::Added)
        return 0;
    // The list is refilled from the entries the add gives, not from a read of the file.
    const QList<Favorites::FavoriteEntry> written = Favorites::readEntries(result.fileBytes);
    if (written.size() != result.entries.size())
        std::abort();
    for (qsizetype k = 0; k < written.size(); ++k) {
        if (written[k].raw != result.entries[k].raw || written[k].text != result.entries[k].text)
            std::abort();
    }
    // An address as a user types one (one line, no padding) is listed once added, and a
    // second add of it is refused.
    if (address.isEmpty() || address.contains(QLatin1Char('\r')) || address.startsWith(u' ')
        || address.endsWith(u' '))
        return 0;
    QStringList after;
    for (const Favorites::FavoriteEntry &entry : written)
        after.append(entry.text);
    if (after.size() > Favorites::MaxEntries)
        std::abort();
    if (Favorites::addFavorite(result.fileBytes, after, address).outcome
        == Favorites::AddOutcome::Added)
        std::abort();
    return 0;
}
