#pragma once

#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>

// The pages' own storage in a profile's storage folder: local storage, databases, caches and
// service workers. What a clearing could not remove while the engine held it is marked with the
// origins it covered, and removed at the next start, before the profile opens the folder.
namespace PageStorage {

// What of one origin's storage goes at the next start.
struct OriginRemoval
{
    enum Kind { LocalStorage = 1, IndexedDb = 2, CacheStorage = 4, WebSql = 8, All = 15 };

    QString origin;
    int kinds = 0;
    // The service workers it had when the clearing was asked, by the engine's numbers.
    QList<qint64> serviceWorkers;
    // When its databases and caches were emptied in the running engine (ms since the epoch):
    // their folders go too, unless the engine has written in them since.
    qint64 emptiedAt = 0;

    bool isEmpty() const { return kinds == 0 && serviceWorkers.isEmpty() && emptiedAt == 0; }
    bool operator==(const OriginRemoval &) const = default;
};

// The mark's text: a line an origin, "<origin> <what>...", what being "local-storage",
// "indexeddb", "cache-storage", "websql", "service-worker=<number>" or "emptied=<ms>". A line
// that names no origin is damage; a word not known is left out.
QList<OriginRemoval> parseOriginMark(const QByteArray &text);
QByteArray originMarkText(const QList<OriginRemoval> &removals);
// Joins removal into removals: an origin marked already gets what it did not have.
void join(QList<OriginRemoval> &removals, const OriginRemoval &removal);

// These fail with PlatformError when the mark cannot be written.
void markOrigins(const QString &storageFolder, const QList<OriginRemoval> &removals);
// Replaces an origin's mark by what is left of it (when nothing, it has no mark any more).
void remarkOrigin(const QString &storageFolder, const OriginRemoval &left);
// The origins marked so far; a mark that cannot be read marks none.
QList<OriginRemoval> originsMarked(const QString &storageFolder);
// The sites whose storage an older version marked, each with its subdomains.
QStringList sitesMarked(const QString &storageFolder);

// Removes what is marked, then the marks, and the storage of the tabs of the run that marked
// it (session storage, which no later run reads). The marks of older versions (all the storage,
// or a list of sites) are still followed. What needs the local storage or the service workers'
// database stays marked while they cannot be opened (another running copy holds them); any
// other trouble is not retried. Whether anything was marked.
bool removeIfMarked(const QString &storageFolder);

// The origins whose storage has folders of its own (IndexedDB, databases, caches); safe while
// the engine runs.
QStringList originsWithFolders(const QString &storageFolder);
// Whether the origin has a folder of these kinds (IndexedDb, CacheStorage, WebSql).
bool hasFolder(const QString &storageFolder, const QString &origin, int kinds);

// What the engine holds open: the origins with local storage and the service workers'
// registrations. While the engine runs they are read from copies, which are quick but may miss
// the last writes or, taken during one, not be read at all.
struct HeldStorage
{
    QStringList localStorage;
    QMultiHash<QString, qint64> serviceWorkers;
};
HeldStorage readHeld(const QString &storageFolder, bool engineRunning);

// At the start, before the profile opens the folder: removes what is marked and keeps the
// origins with storage for originsAtStart().
void prepare(const QString &storageFolder);
QStringList originsAtStart(const QString &storageFolder);

// Whether host is site or one of its subdomains.
bool covers(const QString &site, const QString &host);
// Whether host is one of the sites or one of their subdomains.
bool coveredByAny(const QStringList &sites, const QString &host);

} // namespace PageStorage
