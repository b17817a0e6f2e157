#pragma once

#include "contentblocking/filterengine.h"

#include <memory>
#include <QByteArray>
#include <QString>
#include <QStringList>

class QUrl;

// Which lists the engine is built from, and the key that says when they have changed.
namespace Filters {

// Where the system's package keeps EasyList and EasyPrivacy.
QString systemListFolder();
// The user's own folder: "<data folder>/filters".
QString userListFolder(const QString &dataFolder);
// The file in the user's folder that names lists to fetch, one address a line.
QString sourcesFileName();

// The system's two lists where they are installed, then every "*.txt" list of the user's
// folder by name (the sources file is not a list).
QStringList defaultLists(const QString &userFolder);
// The lists' paths, sizes and modification times: the same key means the same rules.
QByteArray listsKey(const QStringList &paths);
// Reads and parses each list (one that cannot be read is left out) and compiles them.
std::unique_ptr<FilterEngine> compileLists(const QStringList &paths);

// The http and https addresses of a sources file, in order, without repeats.
QList<QUrl> sourceAddresses(const QByteArray &sources);
// The name a fetched list is kept under in the user's folder: readable, and different for
// each address.
QString fetchedListName(const QUrl &address);

} // namespace Filters
