#pragma once

#include "import/bookmarks.h"

namespace Import {

// The bookmarks in a Firefox profile's places.sqlite. The database and its write-ahead log are
// copied first and the copy is read, so that a running Firefox, which keeps the file locked,
// is neither disturbed nor in the way; its tags, which repeat bookmarked addresses, are left
// out.
BookmarksRead readFirefoxPlaces(const QString &placesPath);

} // namespace Import
