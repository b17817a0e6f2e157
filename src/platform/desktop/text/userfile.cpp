#include "platform/desktop/text/userfile.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

void writeUserFile(const QString &path, const QByteArray &bytes)
{
    const AtomicFile::Outcome outcome = AtomicFile::write(path, bytes, AtomicFile::Links::Follow,
                                                          AtomicFile::InPlace::WhereFolderRefuses);
    if (outcome.diskFull) {
        const QFileInfo file(path);
        throw PlatformError(ErrorCode::DiskFull,
                            AtomicFile::diskFullText(
                                file.absolutePath(),
                                QCoreApplication::translate("writeUserFile", "%1 was not saved.")
                                    .arg(file.fileName())));
    }
    if (!outcome.written()) {
        throw PlatformError(
            ErrorCode::PathFileAccess,
            QCoreApplication::translate("writeUserFile", "Cannot write the file %1: %2")
                .arg(QDir::toNativeSeparators(path), outcome.failure));
    }
}
