#pragma once

#include <array>

class Clipboard;

namespace Capture {

// Asks the clipboard for its picture in whichever picture format it holds.
constexpr int AnyPictureFormat = 0;

// The clipboard formats that hold a picture: bitmap, metafile, device-independent bitmap
// and palette.
constexpr std::array<int, 4> pictureFormats = { 2, 3, 8, 9 };

// Whether the clipboard holds a picture in any of those formats.
bool holdsPicture(const Clipboard &clipboard);

} // namespace Capture
