#include "platform/desktop/profiledata/pagestorage.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/profiledata/cacheindex.h"
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
        origins.insert(CacheIndex::originOf(caches.filePath(name + QStringLiteral("/index.txt"))));
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
