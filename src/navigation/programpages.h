#pragma once

#include <QString>

namespace Navigation {

// True for the program's own pages (the bundled start page, about: pages): the address box
// shows nothing for them, as it does for a new page, and they are no favorites.
bool isProgramPage(const QString &url);

} // namespace Navigation
