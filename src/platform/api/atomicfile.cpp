#include "platform/api/atomicfile.h"

#include <cerrno>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>
#include <unistd.h>

namespace AtomicFile {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("AtomicFile", text);
}

// Why a link at path may not be written through, or an empty string.
QString outsideFolder(const QString &path)
{
    const QFileInfo link(path);
    if (!link.isSymLink())
        return QString();
    // A link that leads nowhere or in a circle has no target to compare.
    const QString target = link.canonicalFilePath();
    const QString folder = QFileInfo(link.absolutePath()).canonicalFilePath();
    if (!target.isEmpty() && QFileInfo(target).absolutePath() == folder)
        return QString();
    return tr("it is a link to %1, outside %2")
        .arg(QDir::toNativeSeparators(target.isEmpty() ? link.symLinkTarget() : target),
             QDir::toNativeSeparators(link.absolutePath()));
}

bool isNoRoom(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

} // namespace

bool lacksRoomFor(const QString &path, qint64 bytes)
{
    const QStorageInfo disk(QFileInfo(path).absolutePath());
    return disk.isValid() && disk.bytesAvailable() < bytes + disk.blockSize();
}

Outcome write(const QString &path, const QByteArray &bytes, Links links, InPlace inPlace)
{
    if (path.isEmpty())
        return { tr("no file name") };
    if (links == Links::StayInFolder) {
        if (const QString refused = outsideFolder(path); !refused.isEmpty())
            return { refused };
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(inPlace == InPlace::WhereFolderRefuses);
    // Unbuffered, so that a write the disk cuts short fails here and not in a flush whose
    // failure the commit would not see; the sync makes a disk that fills late say so before
    // the rename.
    int error = 0;
    bool complete = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (complete) {
        errno = 0;
        complete = file.write(bytes) == bytes.size();
        if (!complete)
            error = errno;
    }
    if (complete && ::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        error = errno;
        complete = false;
    }
    if (!complete) {
        // A failure with no error code of its own is often a full disk seen late.
        const QString reason = file.error() == QFileDevice::NoError ? tr("the write was cut short")
                                                                    : file.errorString();
        file.cancelWriting();
        return { reason, isNoRoom(error) || lacksRoomFor(path, bytes.size()) };
    }
    if (!file.commit()) {
        const QString reason = file.errorString();
        return { reason.isEmpty() ? tr("the file could not be replaced") : reason,
                 lacksRoomFor(path, bytes.size()) };
    }
    return {};
}

QString diskFullText(const QString &folder, const QString &consequence)
{
    return tr("The disk holding %1 is full: %2")
        .arg(QDir::toNativeSeparators(QDir::cleanPath(folder)), consequence);
}

} // namespace AtomicFile
