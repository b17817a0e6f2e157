#pragma once

#include <QByteArray>
#include <QString>

// The one writer of whole files: the bytes go to a temporary file beside the target and are
// renamed over it, so that a crash, a full disk or a failed write leaves the old file whole.
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

// Replaces the file at path with bytes. Returns why it could not, or an empty string when
// every byte was written.
[[nodiscard]] QString write(const QString &path, const QByteArray &bytes, Links links,
                            InPlace inPlace = InPlace::Never);

} // namespace AtomicFile
