#pragma once

#include <QString>

// The pages' own storage (local storage, databases, service workers) in a profile's storage
// folder. The engine holds it open while it runs, so it is marked for removal and removed at
// the next start, before the profile opens it.
namespace PageStorage {

// Fails with PlatformError when the mark cannot be written.
void markForRemoval(const QString &storageFolder);
// Removes the storage if it is marked, then the mark; whether anything was removed.
bool removeIfMarked(const QString &storageFolder);

} // namespace PageStorage
