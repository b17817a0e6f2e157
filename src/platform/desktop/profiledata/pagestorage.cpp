#include "platform/desktop/profiledata/pagestorage.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/profiledata/leveldbcopy.h"
#include "platform/desktop/profiledata/localstoragedb.h"
#include "platform/desktop/profiledata/pageorigins.h"
#include "platform/desktop/profiledata/serviceworkerdb.h"

#include <algorithm>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace PageStorage {

namespace {

// Far more than any list the user marks; a mark larger than this is damaged.
constexpr qint64 MarkLimit = 1 << 20;
// A cache index holds the names of an origin's caches.
constexpr qint64 CacheIndexLimit = 1 << 20;

// The marks of older versions: all the storage, and a list of sites.
const QString AllMark = QStringLiteral("remove-page-storage");
const QString SiteMark = QStringLiteral("remove-site-storage");
const QString OriginMark = QStringLiteral("remove-origin-storage");

const QString LocalStorage = QStringLiteral("Local Storage/leveldb");
const QString ServiceWorkers = QStringLiteral("Service Worker/Database");
const QString Caches = QStringLiteral("Service Worker/CacheStorage");
const QString SessionStorage = QStringLiteral("Session Storage");

// The folders that hold one folder per origin, named by its identifier.
constexpr const char *OriginFolders[] = { "IndexedDB", "databases" };

struct KindWord
{
    OriginRemoval::Kind kind;
    QByteArray word;
};
const KindWord KindWords[] = {
    { OriginRemoval::LocalStorage, "local-storage" },
    { OriginRemoval::IndexedDb, "indexeddb" },
    { OriginRemoval::CacheStorage, "cache-storage" },
    { OriginRemoval::WebSql, "websql" },
};
const QByteArray WorkerWord = "service-worker=";
const QByteArray EmptiedWord = "emptied=";

QStringList foldersOf(const QDir &storage, const QString &origin, int kind)
{
    const QString identifier = PageOrigins::identifier(origin);
    switch (kind) {
    case OriginRemoval::IndexedDb:
        return { storage.filePath(QStringLiteral("IndexedDB/") + identifier
                                  + QStringLiteral(".indexeddb.leveldb")),
                 storage.filePath(QStringLiteral("IndexedDB/") + identifier
                                  + QStringLiteral(".indexeddb.blob")) };
    case OriginRemoval::CacheStorage:
        return { storage.filePath(
            Caches + QLatin1Char('/')
            + QString::fromLatin1(
                QCryptographicHash::hash(identifier.toUtf8(), QCryptographicHash::Sha1).toHex())) };
    case OriginRemoval::WebSql:
        return { storage.filePath(QStringLiteral("databases/") + identifier) };
    }
    return {};
}

void removeFolders(const QStringList &folders)
{
    for (const QString &folder : folders)
        QDir(folder).removeRecursively();
}

// Whether nothing in the folders has been written after the moment.
bool unchangedSince(const QStringList &folders, qint64 moment)
{
    const auto after
        = [&](const QFileInfo &info) { return info.lastModified().toMSecsSinceEpoch() > moment; };
    for (const QString &folder : folders) {
        if (!QFileInfo::exists(folder))
            continue;
        if (after(QFileInfo(folder)))
            return false;
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (after(it.fileInfo()))
                return false;
        }
    }
    return true;
}

void removeMark(const QString &mark)
{
    if (QFileInfo(mark).isDir())
        QDir(mark).removeRecursively();
    else
        QFile::remove(mark);
}

void failUnlessWritten(const QString &storageFolder, const AtomicFile::Outcome &outcome)
{
    if (outcome.diskFull) {
        throw PlatformError(
            ErrorCode::DiskFull,
            AtomicFile::diskFullText(
                storageFolder,
                QCoreApplication::translate("PageStorage",
                                            "the removal of the pages' stored data could not be "
                                            "noted for the next start.")));
    }
    if (!outcome.written())
        throw PlatformError(ErrorCode::PathFileAccess, outcome.failure);
}

void writeOriginMark(const QString &storageFolder, const QList<OriginRemoval> &removals)
{
    const QString mark = QDir(storageFolder).filePath(OriginMark);
    if (removals.isEmpty()) {
        removeMark(mark);
        return;
    }
    QDir().mkpath(storageFolder);
    failUnlessWritten(
        storageFolder,
        AtomicFile::write(mark, originMarkText(removals), AtomicFile::Links::StayInFolder));
}

QStringList originsOfLocalStorage(const QString &databaseFolder)
{
    QStringList origins;
    for (const QString &spelled : LocalStorageDb::origins(databaseFolder)) {
        if (const QString origin = PageOrigins::parse(spelled); !origin.isEmpty())
            origins.append(origin);
    }
    return origins;
}

// The origin of a cache index that lists caches: a protocol buffer whose fields 1 are the
// caches and whose field 2 is the origin. An index that lists none holds nothing.
QString originOfCacheIndex(const QString &path)
{
    QFile file(path);
    if (file.size() > CacheIndexLimit || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    qsizetype at = 0;
    const auto varint = [&](quint64 &value) {
        value = 0;
        for (int shift = 0; at < bytes.size() && shift < 64; shift += 7) {
            const auto byte = quint8(bytes.at(at++));
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    };
    bool caches = false;
    QString origin;
    quint64 tag = 0;
    quint64 value = 0;
    while (at < bytes.size() && varint(tag)) {
        switch (tag & 7) {
        case 0:
            if (!varint(value))
                return {};
            break;
        case 1:
            at += 8;
            break;
        case 5:
            at += 4;
            break;
        case 2:
            if (!varint(value) || value > quint64(bytes.size() - at))
                return {};
            caches = caches || tag >> 3 == 1;
            if (tag >> 3 == 2)
                origin = PageOrigins::parse(QString::fromUtf8(bytes.mid(at, qsizetype(value))));
            at += qsizetype(value);
            break;
        default:
            return {};
        }
    }
    return caches ? origin : QString();
}

// False when the local storage could not be opened or written, as when another running copy
// holds it.
bool removeSites(const QString &storageFolder, const QStringList &sites)
{
    if (sites.isEmpty())
        return true;
    for (const char *kind : OriginFolders) {
        QDir folder(QDir(storageFolder).filePath(QString::fromLatin1(kind)));
        const QStringList names = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
            const QString origin = PageOrigins::fromIdentifier(name);
            if (!origin.isEmpty() && coveredByAny(sites, PageOrigins::hostOf(origin)))
                QDir(folder.filePath(name)).removeRecursively();
        }
    }
    return LocalStorageDb::removeOrigins(
        QDir(storageFolder).filePath(LocalStorage), [&](const QString &origin) {
            return coveredByAny(sites, PageOrigins::hostOf(PageOrigins::parse(origin)));
        });
}

// Removes what the origins' marks name; what is left for a later start.
QList<OriginRemoval> removeOrigins(const QString &storageFolder, const QList<OriginRemoval> &marked)
{
    const QDir storage(storageFolder);
    QSet<QString> localStorage;
    QList<qint64> workers;
    for (const OriginRemoval &removal : marked) {
        for (const int kind : { OriginRemoval::IndexedDb, OriginRemoval::CacheStorage }) {
            const QStringList folders = foldersOf(storage, removal.origin, kind);
            if ((removal.kinds & kind)
                || (removal.emptiedAt > 0 && unchangedSince(folders, removal.emptiedAt)))
                removeFolders(folders);
        }
        if (removal.kinds & OriginRemoval::WebSql)
            removeFolders(foldersOf(storage, removal.origin, OriginRemoval::WebSql));
        if (removal.kinds & OriginRemoval::LocalStorage)
            localStorage.insert(removal.origin);
        workers += removal.serviceWorkers;
    }
    const bool localDone = localStorage.isEmpty()
        || LocalStorageDb::removeOrigins(
                               storage.filePath(LocalStorage), [&](const QString &origin) {
                                   return localStorage.contains(PageOrigins::parse(origin));
                               });
    const bool workersDone
        = ServiceWorkerDb::removeRegistrations(storage.filePath(ServiceWorkers), workers);
    QList<OriginRemoval> left;
    for (const OriginRemoval &removal : marked) {
        OriginRemoval rest;
        rest.origin = removal.origin;
        if (!localDone)
            rest.kinds = removal.kinds & OriginRemoval::LocalStorage;
        if (!workersDone)
            rest.serviceWorkers = removal.serviceWorkers;
        if (!rest.isEmpty())
            left.append(rest);
    }
    return left;
}

QHash<QString, QStringList> &startLists()
{
    static QHash<QString, QStringList> lists;
    return lists;
}

} // namespace

QList<OriginRemoval> parseOriginMark(const QByteArray &text)
{
    QList<OriginRemoval> removals;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        OriginRemoval removal;
        removal.origin = PageOrigins::parse(QString::fromUtf8(words.first()));
        if (removal.origin.isEmpty())
            continue;
        for (const QByteArray &word : words.mid(1)) {
            bool number = false;
            for (const KindWord &kind : KindWords) {
                if (word == kind.word)
                    removal.kinds |= kind.kind;
            }
            if (word.startsWith(WorkerWord)) {
                const qint64 worker = word.mid(WorkerWord.size()).toLongLong(&number);
                if (number && worker >= 0 && !removal.serviceWorkers.contains(worker))
                    removal.serviceWorkers.append(worker);
            } else if (word.startsWith(EmptiedWord)) {
                const qint64 moment = word.mid(EmptiedWord.size()).toLongLong(&number);
                if (number && moment > 0)
                    removal.emptiedAt = std::max(removal.emptiedAt, moment);
            }
        }
        if (!removal.isEmpty())
            join(removals, removal);
    }
    return removals;
}

QByteArray originMarkText(const QList<OriginRemoval> &removals)
{
    QByteArray text;
    for (const OriginRemoval &removal : removals) {
        text += removal.origin.toUtf8();
        for (const KindWord &kind : KindWords) {
            if (removal.kinds & kind.kind)
                text += ' ' + kind.word;
        }
        for (const qint64 worker : removal.serviceWorkers)
            text += ' ' + WorkerWord + QByteArray::number(worker);
        if (removal.emptiedAt > 0)
            text += ' ' + EmptiedWord + QByteArray::number(removal.emptiedAt);
        text += '\n';
    }
    return text;
}

void join(QList<OriginRemoval> &removals, const OriginRemoval &removal)
{
    const auto known
        = std::find_if(removals.begin(), removals.end(), [&](const OriginRemoval &marked) {
              return marked.origin == removal.origin;
          });
    if (known == removals.end()) {
        removals.append(removal);
        return;
    }
    known->kinds |= removal.kinds;
    for (const qint64 worker : removal.serviceWorkers) {
        if (!known->serviceWorkers.contains(worker))
            known->serviceWorkers.append(worker);
    }
    known->emptiedAt = std::max(known->emptiedAt, removal.emptiedAt);
}

void markOrigins(const QString &storageFolder, const QList<OriginRemoval> &removals)
{
    QList<OriginRemoval> marked = originsMarked(storageFolder);
    for (const OriginRemoval &removal : removals) {
        if (!removal.isEmpty())
            join(marked, removal);
    }
    writeOriginMark(storageFolder, marked);
}

void remarkOrigin(const QString &storageFolder, const OriginRemoval &left)
{
    QList<OriginRemoval> marked = originsMarked(storageFolder);
    marked.removeIf([&](const OriginRemoval &removal) { return removal.origin == left.origin; });
    if (!left.isEmpty())
        marked.append(left);
    writeOriginMark(storageFolder, marked);
}

QList<OriginRemoval> originsMarked(const QString &storageFolder)
{
    QFile mark(QDir(storageFolder).filePath(OriginMark));
    if (mark.size() > MarkLimit || !mark.open(QIODevice::ReadOnly))
        return {};
    return parseOriginMark(mark.readAll());
}

QStringList sitesMarked(const QString &storageFolder)
{
    QFile mark(QDir(storageFolder).filePath(SiteMark));
    if (mark.size() > MarkLimit || !mark.open(QIODevice::ReadOnly))
        return {};
    // A line that is not a host name is damage, not a site.
    static const QRegularExpression host(QStringLiteral("^[a-z0-9][a-z0-9_.-]*$"));
    QStringList sites;
    for (const QByteArray &line : mark.readAll().split('\n')) {
        const QString site = QString::fromUtf8(line).trimmed().toLower();
        if (host.match(site).hasMatch() && !sites.contains(site))
            sites.append(site);
    }
    return sites;
}

bool removeIfMarked(const QString &storageFolder)
{
    const QDir storage(storageFolder);
    const QString allMark = storage.filePath(AllMark);
    const QString siteMark = storage.filePath(SiteMark);
    const QString originMark = storage.filePath(OriginMark);
    const bool all = QFileInfo::exists(allMark);
    const bool sites = QFileInfo::exists(siteMark);
    const bool origins = QFileInfo::exists(originMark);
    if (all) {
        for (const char *folder :
             { "Local Storage", "IndexedDB", "databases", "Service Worker", "Session Storage" })
            QDir(storage.filePath(QString::fromLatin1(folder))).removeRecursively();
        removeMark(originMark);
    } else if (origins) {
        const QList<OriginRemoval> left
            = removeOrigins(storageFolder, originsMarked(storageFolder));
        try {
            writeOriginMark(storageFolder, left);
        } catch (const PlatformError &) {
            // Then the whole mark is followed again at the next start.
        }
    }
    if (all || sites || origins)
        QDir(storage.filePath(SessionStorage)).removeRecursively();
    // The user's removal is kept for the next start when the storage could not be reached.
    const bool sitesDone = all || !sites || removeSites(storageFolder, sitesMarked(storageFolder));
    removeMark(allMark);
    if (sitesDone)
        removeMark(siteMark);
    return all || sites || origins;
}

QStringList originsWithFolders(const QString &storageFolder)
{
    const QDir storage(storageFolder);
    QSet<QString> origins;
    for (const char *kind : OriginFolders) {
        const QStringList names = QDir(storage.filePath(QString::fromLatin1(kind)))
                                      .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : names)
            origins.insert(PageOrigins::fromIdentifier(name));
    }
    const QDir caches(storage.filePath(Caches));
    for (const QString &name : caches.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        origins.insert(originOfCacheIndex(caches.filePath(name + QStringLiteral("/index.txt"))));
    origins.remove(QString());
    QStringList list(origins.cbegin(), origins.cend());
    list.sort();
    return list;
}

bool hasFolder(const QString &storageFolder, const QString &origin, int kinds)
{
    for (const int kind :
         { OriginRemoval::IndexedDb, OriginRemoval::CacheStorage, OriginRemoval::WebSql }) {
        if (!(kinds & kind))
            continue;
        const QStringList folders = foldersOf(QDir(storageFolder), origin, kind);
        if (std::any_of(folders.cbegin(), folders.cend(),
                        [](const QString &folder) { return QFileInfo::exists(folder); }))
            return true;
    }
    return false;
}

HeldStorage readHeld(const QString &storageFolder, bool engineRunning)
{
    const QDir storage(storageFolder);
    HeldStorage held;
    if (!engineRunning) {
        held.localStorage = originsOfLocalStorage(storage.filePath(LocalStorage));
        held.serviceWorkers = ServiceWorkerDb::registrations(storage.filePath(ServiceWorkers));
        return held;
    }
    const QTemporaryDir copies;
    if (!copies.isValid())
        return held;
    const QString local = copies.filePath(QStringLiteral("local"));
    if (LevelDbCopy::make(storage.filePath(LocalStorage), local))
        held.localStorage = originsOfLocalStorage(local);
    const QString workers = copies.filePath(QStringLiteral("workers"));
    if (LevelDbCopy::make(storage.filePath(ServiceWorkers), workers))
        held.serviceWorkers = ServiceWorkerDb::registrations(workers);
    return held;
}

void prepare(const QString &storageFolder)
{
    removeIfMarked(storageFolder);
    const HeldStorage held = readHeld(storageFolder, false);
    QStringList origins
        = originsWithFolders(storageFolder) + held.localStorage + held.serviceWorkers.uniqueKeys();
    origins.removeDuplicates();
    origins.sort();
    startLists().insert(QDir::cleanPath(storageFolder), origins);
}

QStringList originsAtStart(const QString &storageFolder)
{
    return startLists().value(QDir::cleanPath(storageFolder));
}

bool covers(const QString &site, const QString &host)
{
    const QString s = site.toLower();
    const QString h = host.toLower();
    return !s.isEmpty() && (h == s || h.endsWith(QLatin1Char('.') + s));
}

bool coveredByAny(const QStringList &sites, const QString &host)
{
    return std::any_of(sites.cbegin(), sites.cend(),
                       [&](const QString &site) { return covers(site, host); });
}

} // namespace PageStorage
