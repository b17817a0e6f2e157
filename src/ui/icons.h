#pragma once

#include <QIcon>
#include <QString>

namespace Icons {

// The program's icon of that name, from the pixmaps drawn at build time (16 and 32 pixels).
QIcon named(const QString &name);

} // namespace Icons
