#include "favorites/favoriteslocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace Favorites {

namespace {

const QString FileName = QStringLiteral("Favorites.txt");

// A file that already exists decides by itself; otherwise the folder must take a new file.
bool canKeepFileIn(const QString &folder)
{
    const QFileInfo file(QDir(folder).filePath(FileName));
    if (file.exists()) {
        // Opened for the test, since a file that cannot be read cannot be added to either.
        QFile reading(file.filePath());
        return file.isFile() && file.isWritable() && reading.open(QIODevice::ReadOnly);
    }
    const QFileInfo directory(folder);
    return directory.isDir() && directory.isWritable();
}

// Where an installed copy lives: the system's, even where its user (root) may write.
bool isSystemFolder(const QString &canonicalFolder)
{
    for (const char *prefix : { "/usr", "/opt", "/bin", "/sbin", "/lib", "/etc", "/snap" }) {
        const QString root = QString::fromLatin1(prefix);
        if (canonicalFolder == root || canonicalFolder.startsWith(root + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

bool isUsersOwnFolder(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return !canonical.isEmpty() && !isSystemFolder(canonical) && info.ownerId() == ::geteuid();
}

QString favoritesFilePath(const QString &programFolder, const QString &dataFolder)
{
    if (!programFolder.isEmpty() && isUsersOwnFolder(programFolder) && canKeepFileIn(programFolder))
        return programFolder + QLatin1Char('/') + FileName;
    if (!dataFolder.isEmpty() && QDir().mkpath(dataFolder) && canKeepFileIn(dataFolder))
        return dataFolder + QLatin1Char('/') + FileName;
    return QString();
}

} // namespace Favorites
