#pragma once

#include <QString>

namespace CacheIndex {

// The origin whose caches the engine's cache index file at path lists; empty when the index
// lists none, is damaged, or cannot be read.
QString originOf(const QString &path);

} // namespace CacheIndex
