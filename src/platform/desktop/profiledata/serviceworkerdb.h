#pragma once

#include <QList>
#include <QMultiHash>
#include <QString>

// The engine's database of service workers: a LevelDB whose keys name each registration's
// origin and number ("REG:<origin>/\0<number>", "REGID_TO_ORIGIN:<number>", ...). It may be
// written only while the engine does not hold it, before the profile opens it.
namespace ServiceWorkerDb {

// The registrations by origin (as PageOrigins spells it) and number; none when the database is
// missing or cannot be opened.
QMultiHash<QString, qint64> registrations(const QString &databaseFolder);
// Removes these registrations; the scripts they kept stay in the engine's script cache
// unused. False when the database could not be opened or written (a missing one has none).
bool removeRegistrations(const QString &databaseFolder, const QList<qint64> &numbers);

} // namespace ServiceWorkerDb
