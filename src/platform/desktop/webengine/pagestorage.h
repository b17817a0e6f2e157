#pragma once

#include <QString>
#include <QStringList>

// The pages' own storage (local storage, databases, service workers) in a profile's storage
// folder. The engine holds it open while it runs, so it is marked for removal, all of it or a
// site's, and removed at the next start, before the profile opens it.
namespace PageStorage {

// These fail with PlatformError when the mark cannot be written.
void markForRemoval(const QString &storageFolder);
// The storage of the pages of site (a host name) and its subdomains.
void markSiteForRemoval(const QString &storageFolder, const QString &site);
// The sites marked so far; a mark that cannot be read marks none.
QStringList sitesMarked(const QString &storageFolder);

// Removes what is marked, then the marks. A site's mark stays for the next start while the
// local storage cannot be opened (another running copy holds it); any other trouble is not
// retried.
// Whether anything was marked.
bool removeIfMarked(const QString &storageFolder);

// The hosts that keep storage in folders of their own (IndexedDB, databases); safe while the
// engine runs.
QStringList hostsWithFolders(const QString &storageFolder);
// Those and the hosts in local storage, which can be read only before the profile opens it.
QStringList hostsWithStorage(const QString &storageFolder);

// At the start, before the profile opens the folder: removes what is marked and keeps
// hostsWithStorage() for hostsAtStart().
void prepare(const QString &storageFolder);
QStringList hostsAtStart(const QString &storageFolder);

// Whether host is site or one of its subdomains.
bool covers(const QString &site, const QString &host);
// Whether host is one of the sites or one of their subdomains.
bool coveredByAny(const QStringList &sites, const QString &host);

} // namespace PageStorage
