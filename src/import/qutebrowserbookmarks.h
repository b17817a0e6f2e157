#pragma once

#include "import/bookmarks.h"

namespace Import {

// qutebrowser's two lists: bookmarks/urls holds "address title" a line, quickmarks holds
// "name address" a line (the name may hold spaces, the address cannot).
BookmarksRead readQutebrowserBookmarks(const QString &urlsPath);
BookmarksRead readQutebrowserQuickmarks(const QString &quickmarksPath);

} // namespace Import
