#include "navigation/programpages.h"

bool Navigation::isProgramPage(const QString &url)
{
    const QString address = url.trimmed();
    return address.startsWith(QLatin1String("qrc:"), Qt::CaseInsensitive)
        || address.startsWith(QLatin1String("about:"), Qt::CaseInsensitive);
}
