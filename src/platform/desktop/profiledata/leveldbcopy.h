#pragma once

#include <memory>
#include <QString>

namespace leveldb {
class DB;
}

namespace LevelDbCopy {

// Opens a LevelDB the engine made, or a copy of one, to read or change it. Null when there is
// none; also when it cannot be opened, and then refusal (when given) tells why.
std::unique_ptr<leveldb::DB> open(const QString &databaseFolder, QString *refusal = nullptr);

// Copies a LevelDB that the engine holds open into the folder into, to be read there while the
// engine goes on writing it. A copy taken while the engine writes may lack the last writes, or
// be refused when opened. False when the database is missing, larger than is quick to copy,
// or could not be copied.
bool make(const QString &databaseFolder, const QString &into);

} // namespace LevelDbCopy
