#pragma once

#include <QStringList>

namespace HtmlTools {

// The link list shows the first links of a page, not all of them: a page of thousands of
// links would make the box useless and slow to fill.
inline constexpr qsizetype MaxListedLinks = 101;

// The links to list, in document order.
QStringList listedLinks(const QStringList &links);

} // namespace HtmlTools
