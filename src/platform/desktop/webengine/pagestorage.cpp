#include "platform/desktop/webengine/pagestorage.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"

#include <QDir>
#include <QFile>

namespace PageStorage {

namespace {

QString markOf(const QString &storageFolder)
{
    return QDir(storageFolder).filePath(QStringLiteral("remove-page-storage"));
}

} // namespace

void markForRemoval(const QString &storageFolder)
{
    QDir().mkpath(storageFolder);
    const QString why = AtomicFile::write(markOf(storageFolder), QByteArray("1\n"),
                                          AtomicFile::Links::StayInFolder);
    if (!why.isEmpty())
        throw PlatformError(75, why);
}

bool removeIfMarked(const QString &storageFolder)
{
    const QString mark = markOf(storageFolder);
    if (!QFile::exists(mark))
        return false;
    for (const char *folder :
         { "Local Storage", "IndexedDB", "databases", "Service Worker", "Session Storage" })
        QDir(QDir(storageFolder).filePath(QString::fromLatin1(folder))).removeRecursively();
    QFile::remove(mark);
    return true;
}

} // namespace PageStorage
