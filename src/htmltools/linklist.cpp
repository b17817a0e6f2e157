#include "htmltools/linklist.h"

namespace HtmlTools {

QStringList listedLinks(const QStringList &links)
{
    return links.mid(0, MaxListedLinks);
}

} // namespace HtmlTools
