#pragma once

#include <array>

namespace Capture {

// One key event as the desktop's key injection takes it.
struct KeyStroke
{
    int virtualKey;
    int scanCode;
    int flags;
    int extraInfo;
};

constexpr int VirtualKeyAlt = 18;
constexpr int VirtualKeyPrintScreen = 44;
constexpr int KeyUpFlag = 2;

// Alt+PrintScreen, which makes the desktop put a picture of the active window on the
// clipboard. PrintScreen is never released: the desktop reacts to the press alone.
constexpr std::array<KeyStroke, 3> activeWindowSnapshot = { {
    { VirtualKeyAlt, 0, 0, 0 },
    { VirtualKeyPrintScreen, 1, 0, 0 },
    { VirtualKeyAlt, 0, KeyUpFlag, 0 },
} };

} // namespace Capture
