#pragma once

#include "import/bookmarks.h"

namespace Import {

// A Bookmarks file of Chromium and the browsers built on it, or Falkon's bookmarks.json: both
// keep folders of nodes, a bookmark being a node of type "url" with its "url" and "name".
BookmarksRead readJsonBookmarks(const QString &path);
BookmarksRead readJsonBookmarks(const QByteArray &bytes, const QString &shownName);

} // namespace Import
