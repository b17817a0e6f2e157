#include "capture/clipboardpicture.h"

#include "platform/api/clipboard.h"

#include <algorithm>

namespace Capture {

bool holdsPicture(const Clipboard &clipboard)
{
    return std::any_of(pictureFormats.begin(), pictureFormats.end(),
                       [&](int format) { return clipboard.GetFormat(format); });
}

} // namespace Capture
