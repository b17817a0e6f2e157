#include "userfile.h"

#include "platformerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

void writeUserFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        throw PlatformError(
            ErrorCode::PathFileAccess,
            QCoreApplication::translate("writeUserFile", "Cannot write the file %1: %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}
