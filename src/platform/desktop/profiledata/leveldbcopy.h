#pragma once

#include <QString>

namespace LevelDbCopy {

// Copies a LevelDB that the engine holds open into the folder into, to be read there while the
// engine goes on writing it. A copy taken while the engine writes may lack the last writes, or
// be refused when opened. False when the database is missing, larger than is quick to copy,
// or could not be copied.
bool make(const QString &databaseFolder, const QString &into);

} // namespace LevelDbCopy
