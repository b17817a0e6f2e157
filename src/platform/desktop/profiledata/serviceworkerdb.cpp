#include "platform/desktop/profiledata/serviceworkerdb.h"

#include "platform/desktop/profiledata/leveldbcopy.h"
#include "platform/desktop/profiledata/pageorigins.h"

#include <leveldb/db.h>
#include <leveldb/write_batch.h>
#include <map>
#include <memory>
#include <QDir>
#include <QFile>
#include <QSet>
#include <string>
#include <string_view>

namespace ServiceWorkerDb {

namespace {

constexpr std::string_view Registration = "REG:";
constexpr std::string_view OriginOfNumber = "REGID_TO_ORIGIN:";
constexpr std::string_view UserData = "REG_USER_DATA:";
constexpr std::string_view HasUserData = "REG_HAS_USER_DATA:";
constexpr std::string_view UniqueOrigin = "INITDATA_UNIQUE_ORIGIN:";

qint64 numberOf(std::string_view text)
{
    bool ok = false;
    const qint64 number = QByteArray(text.data(), qsizetype(text.size())).toLongLong(&ok);
    return ok ? number : -1;
}

// "REG:<origin>\0<number>": the origin as the engine spells it, and the number.
std::pair<std::string_view, qint64> registrationOf(std::string_view key)
{
    if (!key.starts_with(Registration))
        return { {}, -1 };
    key.remove_prefix(Registration.size());
    const size_t end = key.find('\0');
    if (end == std::string_view::npos)
        return { {}, -1 };
    return { key.substr(0, end), numberOf(key.substr(end + 1)) };
}

// The number a key of a registration's own belongs to, -1 for any other key.
qint64 ownerOf(std::string_view key)
{
    if (key.starts_with(OriginOfNumber))
        return numberOf(key.substr(OriginOfNumber.size()));
    if (key.starts_with(UserData)) {
        key.remove_prefix(UserData.size());
        return numberOf(key.substr(0, key.find('\0')));
    }
    if (key.starts_with(HasUserData)) {
        const size_t end = key.rfind('\0');
        return end == std::string_view::npos ? -1 : numberOf(key.substr(end + 1));
    }
    return -1;
}

} // namespace

QMultiHash<QString, qint64> registrations(const QString &databaseFolder)
{
    QMultiHash<QString, qint64> found;
    const std::unique_ptr<leveldb::DB> db = LevelDbCopy::open(databaseFolder);
    if (!db)
        return found;
    std::unique_ptr<leveldb::Iterator> it(db->NewIterator(leveldb::ReadOptions()));
    const leveldb::Slice prefix(Registration.data(), Registration.size());
    for (it->Seek(prefix); it->Valid() && it->key().starts_with(prefix); it->Next()) {
        const auto [spelled, number] = registrationOf({ it->key().data(), it->key().size() });
        const QString origin
            = PageOrigins::parse(QString::fromUtf8(spelled.data(), qsizetype(spelled.size())));
        if (!origin.isEmpty() && number >= 0)
            found.insert(origin, number);
    }
    return found;
}

bool removeRegistrations(const QString &databaseFolder, const QList<qint64> &numbers)
{
    if (numbers.isEmpty()
        || !QFile::exists(QDir(databaseFolder).filePath(QStringLiteral("CURRENT"))))
        return true;
    const std::unique_ptr<leveldb::DB> db = LevelDbCopy::open(databaseFolder);
    if (!db)
        return false;
    const QSet<qint64> doomed(numbers.cbegin(), numbers.cend());
    leveldb::WriteBatch batch;
    // How many registrations each origin keeps: one that keeps none leaves the engine's list.
    std::map<std::string, int, std::less<>> kept;
    std::unique_ptr<leveldb::Iterator> it(db->NewIterator(leveldb::ReadOptions()));
    for (it->SeekToFirst(); it->Valid(); it->Next()) {
        const std::string_view key(it->key().data(), it->key().size());
        const auto [origin, number] = registrationOf(key);
        if (number >= 0) {
            const bool goes = doomed.contains(number);
            kept[std::string(origin)] += goes ? 0 : 1;
            if (goes)
                batch.Delete(it->key());
        } else if (doomed.contains(ownerOf(key))) {
            batch.Delete(it->key());
        }
    }
    if (!it->status().ok())
        return false;
    for (const auto &[origin, count] : kept) {
        if (count == 0)
            batch.Delete(std::string(UniqueOrigin) + origin);
    }
    leveldb::WriteOptions sync;
    sync.sync = true;
    return db->Write(sync, &batch).ok();
}

} // namespace ServiceWorkerDb
