#pragma once

#include <QString>

namespace Favorites {

// Whether a program folder is the user's own: one the user owns (a build tree, a copy
// unpacked in the home folder), and none of the system's folders (/usr, /usr/local, /opt and
// the like), which an installed copy lives in, whoever runs it, root included.
bool isUsersOwnFolder(const QString &folder);

// Where Favorites.txt lives: beside the program when the program's folder is the user's own
// and can be written, else in the per-user data folder, which is made when missing. Empty
// when neither can be written.
QString favoritesFilePath(const QString &programFolder, const QString &dataFolder);

} // namespace Favorites
