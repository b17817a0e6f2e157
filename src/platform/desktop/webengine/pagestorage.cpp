#include "platform/desktop/webengine/pagestorage.h"

#include "platform/api/atomicfile.h"
#include "platform/api/platformerror.h"
#include "platform/desktop/webengine/localstoragedb.h"

#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

namespace PageStorage {

namespace {

// Far more than any list of sites the user marks; a mark larger than this is damaged.
constexpr qint64 MarkLimit = 1 << 20;

QString markOf(const QString &storageFolder)
{
    return QDir(storageFolder).filePath(QStringLiteral("remove-page-storage"));
}

QString siteMarkOf(const QString &storageFolder)
{
    return QDir(storageFolder).filePath(QStringLiteral("remove-site-storage"));
}

QString localStorageOf(const QString &storageFolder)
{
    return QDir(storageFolder).filePath(QStringLiteral("Local Storage/leveldb"));
}

// The folders that hold one folder per origin, named "<scheme>_<host>_<port>[.<kind>]".
constexpr const char *OriginFolders[] = { "IndexedDB", "databases" };

QString hostOfFolder(const QString &name)
{
    QString identifier = name;
    if (const qsizetype kind = name.indexOf(QStringLiteral(".indexeddb.")); kind > 0)
        identifier.truncate(kind);
    const qsizetype first = identifier.indexOf(QLatin1Char('_'));
    const qsizetype last = identifier.lastIndexOf(QLatin1Char('_'));
    bool port = false;
    identifier.mid(last + 1).toUInt(&port);
    if (first <= 0 || last <= first + 1 || !port)
        return {};
    return identifier.mid(first + 1, last - first - 1).toLower();
}

QString hostOfOrigin(const QString &origin)
{
    // A partitioned key follows the origin after '^'.
    return QUrl(origin.section(QLatin1Char('^'), 0, 0)).host(QUrl::FullyEncoded).toLower();
}

void removeMark(const QString &mark)
{
    if (QFileInfo(mark).isDir())
        QDir(mark).removeRecursively();
    else
        QFile::remove(mark);
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
            if (coveredByAny(sites, hostOfFolder(name)))
                QDir(folder.filePath(name)).removeRecursively();
        }
    }
    return LocalStorageDb::removeOrigins(localStorageOf(storageFolder), [&](const QString &origin) {
        return coveredByAny(sites, hostOfOrigin(origin));
    });
}

void failUnlessWritten(const QString &storageFolder, const AtomicFile::Outcome &outcome)
{
    if (outcome.diskFull) {
        throw PlatformError(ErrorCode::DiskFull,
                            AtomicFile::diskFullText(
                                storageFolder,
                                QCoreApplication::translate(
                                    "PageStorage", "the pages' stored data was not removed.")));
    }
    if (!outcome.written())
        throw PlatformError(ErrorCode::PathFileAccess, outcome.failure);
}

QHash<QString, QStringList> &startLists()
{
    static QHash<QString, QStringList> lists;
    return lists;
}

} // namespace

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

void markForRemoval(const QString &storageFolder)
{
    QDir().mkpath(storageFolder);
    failUnlessWritten(storageFolder,
                      AtomicFile::write(markOf(storageFolder), QByteArray("1\n"),
                                        AtomicFile::Links::StayInFolder));
}

void markSiteForRemoval(const QString &storageFolder, const QString &site)
{
    // The engine names origins in their ASCII form.
    const QString ace = QString::fromLatin1(QUrl::toAce(site.toLower()));
    QStringList sites = sitesMarked(storageFolder);
    if (ace.isEmpty() || sites.contains(ace))
        return;
    sites.append(ace);
    QDir().mkpath(storageFolder);
    failUnlessWritten(storageFolder,
                      AtomicFile::write(siteMarkOf(storageFolder),
                                        sites.join(QLatin1Char('\n')).toUtf8() + '\n',
                                        AtomicFile::Links::StayInFolder));
}

QStringList sitesMarked(const QString &storageFolder)
{
    QFile mark(siteMarkOf(storageFolder));
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
    const QString mark = markOf(storageFolder);
    const QString siteMark = siteMarkOf(storageFolder);
    const bool all = QFileInfo::exists(mark);
    const bool some = QFileInfo::exists(siteMark);
    if (all) {
        for (const char *folder :
             { "Local Storage", "IndexedDB", "databases", "Service Worker", "Session Storage" })
            QDir(QDir(storageFolder).filePath(QString::fromLatin1(folder))).removeRecursively();
    }
    // The user's removal is kept for the next start when the storage could not be reached.
    const bool sitesDone = all || !some || removeSites(storageFolder, sitesMarked(storageFolder));
    removeMark(mark);
    if (sitesDone)
        removeMark(siteMark);
    return all || some;
}

QStringList hostsWithFolders(const QString &storageFolder)
{
    QSet<QString> hosts;
    for (const char *kind : OriginFolders) {
        const QStringList names = QDir(QDir(storageFolder).filePath(QString::fromLatin1(kind)))
                                      .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
            if (const QString host = hostOfFolder(name); !host.isEmpty())
                hosts.insert(host);
        }
    }
    QStringList list(hosts.cbegin(), hosts.cend());
    list.sort();
    return list;
}

QStringList hostsWithStorage(const QString &storageFolder)
{
    QStringList hosts = hostsWithFolders(storageFolder);
    for (const QString &origin : LocalStorageDb::origins(localStorageOf(storageFolder))) {
        if (const QString host = hostOfOrigin(origin); !host.isEmpty() && !hosts.contains(host))
            hosts.append(host);
    }
    hosts.sort();
    return hosts;
}

void prepare(const QString &storageFolder)
{
    removeIfMarked(storageFolder);
    startLists().insert(QDir::cleanPath(storageFolder), hostsWithStorage(storageFolder));
}

QStringList hostsAtStart(const QString &storageFolder)
{
    return startLists().value(QDir::cleanPath(storageFolder));
}

} // namespace PageStorage
