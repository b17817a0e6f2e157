#include "platform/desktop/text/userfile.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"

#include <QCoreApplication>
#include <QDir>

void writeUserFile(const QString &path, const QByteArray &bytes)
{
    const QString failure = AtomicFile::write(path, bytes, AtomicFile::Links::Follow,
                                              AtomicFile::InPlace::WhereFolderRefuses);
    if (!failure.isEmpty()) {
        throw PlatformError(
            ErrorCode::PathFileAccess,
            QCoreApplication::translate("writeUserFile", "Cannot write the file %1: %2")
                .arg(QDir::toNativeSeparators(path), failure));
    }
}
