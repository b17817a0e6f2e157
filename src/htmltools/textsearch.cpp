#include "htmltools/textsearch.h"

namespace HtmlTools {

TextMatch findInText(QStringView text, QStringView needle, Qt::CaseSensitivity cs, qsizetype from,
                     bool backward)
{
    TextMatch found;
    if (needle.isEmpty())
        return found;
    // One pass counts every match and notes the one wanted and the one to wrap to.
    TextMatch first;
    TextMatch last;
    for (qsizetype at = text.indexOf(needle, 0, cs); at >= 0;
         at = text.indexOf(needle, at + needle.size(), cs)) {
        ++found.count;
        const TextMatch here { at, found.count, 0 };
        if (found.count == 1)
            first = here;
        last = here;
        if (backward ? at < from : (at >= from && found.start < 0)) {
            found.start = here.start;
            found.ordinal = here.ordinal;
        }
    }
    if (found.count > 0 && found.start < 0) {
        const TextMatch &wrapped = backward ? last : first;
        found.start = wrapped.start;
        found.ordinal = wrapped.ordinal;
    }
    return found;
}

} // namespace HtmlTools
