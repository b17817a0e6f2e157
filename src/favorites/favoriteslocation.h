#pragma once

#include <QString>

namespace Favorites {

// Where Favorites.txt lives: beside the program where that folder can be written (a build or
// a portable copy), else in the per-user data folder (an installed program, whose folder
// belongs to the system), which is made when missing. Empty when neither can be written.
QString favoritesFilePath(const QString &programFolder, const QString &dataFolder);

} // namespace Favorites
