#include "accessibility/panecycle.h"

namespace PaneCycle {

int next(const QList<bool> &shown, int current, bool backward)
{
    const int count = int(shown.size());
    if (count == 0)
        return -1;
    const int step = backward ? count - 1 : 1;
    int index = current >= 0 && current < count ? current : (backward ? 0 : count - 1);
    for (int tried = 0; tried < count; ++tried) {
        index = (index + step) % count;
        if (shown.at(index))
            return index;
    }
    return -1;
}

} // namespace PaneCycle
