#include "platform/desktop/profiledata/localstoragedb.h"

#include "platform/desktop/profiledata/leveldbcopy.h"

#include <leveldb/db.h>
#include <leveldb/write_batch.h>
#include <memory>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <string_view>

Q_LOGGING_CATEGORY(lcLocalStorage, "kestrav.localstorage")

namespace LocalStorageDb {

namespace {

// The origin a key belongs to; empty for the database's own keys ("VERSION").
std::string_view originOf(std::string_view key)
{
    for (const std::string_view prefix : { "META:", "METAACCESS:" }) {
        if (key.starts_with(prefix))
            return key.substr(prefix.size());
    }
    if (key.starts_with('_')) {
        const size_t end = key.find('\0');
        if (end != std::string_view::npos)
            return key.substr(1, end - 1);
    }
    return {};
}

std::unique_ptr<leveldb::DB> open(const QString &databaseFolder)
{
    QString refusal;
    std::unique_ptr<leveldb::DB> db = LevelDbCopy::open(databaseFolder, &refusal);
    if (!refusal.isEmpty())
        qCWarning(lcLocalStorage) << "cannot open" << databaseFolder << qUtf8Printable(refusal);
    return db;
}

// Calls each for every key with its origin.
template<typename Each> bool forEachKey(leveldb::DB &db, Each &&each)
{
    std::unique_ptr<leveldb::Iterator> it(db.NewIterator(leveldb::ReadOptions()));
    for (it->SeekToFirst(); it->Valid(); it->Next()) {
        const std::string_view key(it->key().data(), it->key().size());
        if (const std::string_view origin = originOf(key); !origin.empty())
            each(key, QString::fromUtf8(origin.data(), qsizetype(origin.size())));
    }
    return it->status().ok();
}

} // namespace

QStringList origins(const QString &databaseFolder)
{
    const std::unique_ptr<leveldb::DB> db = open(databaseFolder);
    if (!db)
        return {};
    // Every origin with data has one "META:" key, and those keys sit together at the front of
    // the database: reading them alone keeps the start quick however much the pages stored.
    QStringList list;
    constexpr std::string_view meta = "META:";
    std::unique_ptr<leveldb::Iterator> it(db->NewIterator(leveldb::ReadOptions()));
    for (it->Seek(leveldb::Slice(meta.data(), meta.size())); it->Valid(); it->Next()) {
        const std::string_view key(it->key().data(), it->key().size());
        if (!key.starts_with(meta))
            break;
        const std::string_view origin = key.substr(meta.size());
        if (!origin.empty())
            list.append(QString::fromUtf8(origin.data(), qsizetype(origin.size())));
    }
    return list;
}

bool removeOrigins(const QString &databaseFolder,
                   const std::function<bool(const QString &origin)> &doomed)
{
    if (!QFile::exists(QDir(databaseFolder).filePath(QStringLiteral("CURRENT"))))
        return true;
    const std::unique_ptr<leveldb::DB> db = open(databaseFolder);
    if (!db)
        return false;
    leveldb::WriteBatch batch;
    QHash<QString, bool> verdicts;
    const bool read = forEachKey(*db, [&](std::string_view key, const QString &origin) {
        auto verdict = verdicts.find(origin);
        if (verdict == verdicts.end())
            verdict = verdicts.insert(origin, doomed(origin));
        if (*verdict)
            batch.Delete(leveldb::Slice(key.data(), key.size()));
    });
    leveldb::WriteOptions sync;
    sync.sync = true;
    const leveldb::Status status = db->Write(sync, &batch);
    if (!status.ok())
        qCWarning(lcLocalStorage) << "cannot write" << databaseFolder << status.ToString().c_str();
    return read && status.ok();
}

} // namespace LocalStorageDb
