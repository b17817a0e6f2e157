#pragma once

#include "favorites/sortentries.h"
#include "platform/api/spacetrim.h"

#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Favorites.txt: one address per line in the system's 8-bit encoding. A line ends at CR or
// CR LF; a lone LF belongs to the line. Lines that are empty or hold only spaces are not
// entries. The rules work on bytes so that an entry nobody touched is written back exactly
// as it was read, even when it is not valid text in the system's encoding.
namespace Favorites {

// Entry counts were signed 16-bit; files and lists never hold more.
inline constexpr qsizetype MaxEntries = 32767;

struct FavoriteEntry
{
    QByteArray raw; // the line exactly as in the file, untrimmed
    QString text; // raw decoded for display and comparison
};

// The file's lines, blank ones included.
QList<QByteArray> splitLines(const QByteArray &fileBytes);

// The entries to list, untrimmed, in file order.
QList<FavoriteEntry> readEntries(const QByteArray &fileBytes);

// True when some list item, trimmed of spaces, equals the entry exactly (case matters).
bool FindFavorite(const QStringList &listItems, const QString &entry);

enum class AddOutcome {
    Added, // fileBytes holds the new content to write
    Duplicate, // the address is already listed; the file stays as it is
    TooManyEntries, // the result would exceed MaxEntries; the file stays as it is
};

struct AddResult
{
    AddOutcome outcome = AddOutcome::Added;
    QByteArray fileBytes;
    QList<FavoriteEntry> entries; // readEntries(fileBytes), without reading it again
};

// Adds the address box's text to the file's current content, then sorts the file.
// listItems are the texts the list shows; they decide whether the address is a duplicate.
AddResult addFavorite(const QByteArray &fileBytes, const QStringList &listItems,
                      const QString &address, const QCollator &collator = favoritesCollator());

// Every line trimmed, sorted by SortEntries, blank lines dropped, each line ended by CR LF.
// Empty when the result would exceed MaxEntries.
std::optional<QByteArray> SortFavoritesFile(const QByteArray &fileBytes,
                                            const QCollator &collator = favoritesCollator());

// The file after a delete: the remaining items as listed, each ended by CR LF.
QByteArray fileBytesFromItems(const QList<QByteArray> &rawItems);

// Throws PlatformError (file not found, or path/file access) when the file cannot be read.
QByteArray readFavoritesFile(const QString &path);

// Replaces the file in one step: after a crash, a full disk or a write error the old file is
// still whole. Throws PlatformError (path/file access) naming the file on failure.
void writeFavoritesFile(const QString &path, const QByteArray &bytes);

} // namespace Favorites
