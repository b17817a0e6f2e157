#pragma once

#include <QByteArray>
#include <QString>

// The one writer of whole files: the bytes go to a temporary file beside the target and are
// renamed over it only once every byte is known to be on the disk, so that a crash, a full
// disk or a failed write leaves the old file whole.
namespace AtomicFile {

enum class Links {
    // A link is written through to its target, wherever that is (a file the user chose).
    Follow,
    // A link is written through only to a file in the link's own folder; a link that leads
    // anywhere else is refused (a file the program keeps).
    StayInFolder,
};

enum class InPlace {
    Never,
    // Where the folder takes no new file but the file itself may be written, the file is
    // written in place rather than not at all.
    WhereFolderRefuses,
};

struct Outcome
{
    // Why the file could not be written; empty when every byte was written.
    QString failure;
    // The disk holding the file had no room for it.
    bool diskFull = false;

    bool written() const { return failure.isEmpty(); }
};

// Replaces the file at path with bytes.
[[nodiscard]] Outcome write(const QString &path, const QByteArray &bytes, Links links,
                            InPlace inPlace = InPlace::Never);

// Whether the disk that holds path has less room than bytes more would take.
bool lacksRoomFor(const QString &path, qint64 bytes);

// The words for a write that a full disk refused: "The disk holding <folder> is full: "
// followed by what was not done, a sentence of its own.
QString diskFullText(const QString &folder, const QString &consequence);

} // namespace AtomicFile
