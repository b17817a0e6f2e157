#pragma once

#include <QByteArray>
#include <QString>

// Writes a file that the user asked for, replacing it. The bytes go beside the old file and
// are renamed over it, so a failure leaves the old file whole; where the folder takes no new
// file but the file itself may be written, it is written in place rather than not at all.
// Every byte must arrive: a write that the disk cuts short reports no error of its own.
// Fails with PlatformError (path/file access) naming the file.
void writeUserFile(const QString &path, const QByteArray &bytes);
