#include "ui/icons.h"

namespace Icons {

QIcon named(const QString &name)
{
    QIcon icon;
    for (const int size : { 16, 32 })
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

} // namespace Icons
