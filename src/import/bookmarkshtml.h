#pragma once

#include "import/bookmarks.h"

#include <QByteArray>
#include <QStringList>

namespace Import {

// A bookmarks file as every browser exports it (the Netscape bookmark format), read with
// libxml2's HTML parser, which copes with the unclosed DT and P tags such files are made of.
// Every link (A with HREF) is a bookmark; folders are not kept. Nesting past
// ImportLimits::MaxDepth stops the read with an error.
BookmarksRead readBookmarksHtml(const QString &path);
BookmarksRead readBookmarksHtml(const QByteArray &bytes, const QString &shownName);

// The addresses as a bookmarks file that Firefox and Chrome import: one folder, each address
// its own title. Addresses and titles are escaped as HTML text.
QByteArray bookmarksHtml(const QStringList &addresses);

// Writes the favorites' addresses to a bookmarks file the user chose, replacing it in one
// step; false with why in *error when it could not be written.
bool exportFavorites(const QString &path, const QStringList &addresses, QString *error);

} // namespace Import
