#include "platform/desktop/profiledata/leveldbcopy.h"

#include <leveldb/db.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace LevelDbCopy {

namespace {

// Copied while the window waits: a database larger than this is left unread.
constexpr qint64 CopyLimit = 32 << 20;

} // namespace

std::unique_ptr<leveldb::DB> open(const QString &databaseFolder, QString *refusal)
{
    // The engine makes the database; one that is not there has nothing in it.
    if (!QFile::exists(QDir(databaseFolder).filePath(QStringLiteral("CURRENT"))))
        return nullptr;
    leveldb::Options options;
    options.create_if_missing = false;
    leveldb::DB *db = nullptr;
    const leveldb::Status status
        = leveldb::DB::Open(options, QFile::encodeName(databaseFolder).toStdString(), &db);
    if (!status.ok()) {
        if (refusal)
            *refusal = QString::fromStdString(status.ToString());
        return nullptr;
    }
    return std::unique_ptr<leveldb::DB>(db);
}

bool make(const QString &databaseFolder, const QString &into)
{
    const QDir from(databaseFolder);
    // The lock is the engine's, and the log of the database's own is not needed to read it.
    const QFileInfoList files = from.entryInfoList(QDir::Files);
    qint64 size = 0;
    for (const QFileInfo &file : files)
        size += file.size();
    if (!from.exists(QStringLiteral("CURRENT")) || size > CopyLimit || !QDir().mkpath(into))
        return false;
    for (const QFileInfo &file : files) {
        const QString name = file.fileName();
        if (name == QLatin1String("LOCK") || name.startsWith(QLatin1String("LOG")))
            continue;
        // A table the engine removed since the folder was listed is not missed: the database
        // that named it has gone with it, unless the copy is refused as a whole.
        if (!QFile::copy(file.filePath(), QDir(into).filePath(name)) && file.exists())
            return false;
    }
    return true;
}

} // namespace LevelDbCopy
