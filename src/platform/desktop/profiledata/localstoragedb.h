#pragma once

#include <functional>
#include <QString>
#include <QStringList>

// The engine's local storage: one LevelDB for every origin, whose keys name the origin
// ("META:<origin>", "METAACCESS:<origin>", "_<origin>\0<key>"). It may be opened only while
// the engine does not hold it, that is before the profile opens it.
namespace LocalStorageDb {

// The origins ("http://host:port") with stored data; nothing when the database is missing or
// cannot be opened.
QStringList origins(const QString &databaseFolder);
// Removes every key of the origins that doomed picks, in one write; false when the database
// could not be opened or written (a missing one has nothing to remove).
bool removeOrigins(const QString &databaseFolder,
                   const std::function<bool(const QString &origin)> &doomed);

} // namespace LocalStorageDb
