#include "platform/api/atomicfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

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

} // namespace

QString write(const QString &path, const QByteArray &bytes, Links links, InPlace inPlace)
{
    if (path.isEmpty())
        return tr("no file name");
    if (links == Links::StayInFolder) {
        if (const QString refused = outsideFolder(path); !refused.isEmpty())
            return refused;
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(inPlace == InPlace::WhereFolderRefuses);
    // A write that the disk cuts short reports no error of its own: every byte must arrive.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        return reason.isEmpty() ? tr("the write was cut short") : reason;
    }
    return QString();
}

} // namespace AtomicFile
