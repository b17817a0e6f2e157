#pragma once

#include "platform/api/keyboardevents.h"

#include <functional>
#include <QPixmap>

// Key injection as far as the program uses it: this desktop has no system-wide snapshot key
// to drive, so the service reacts to PrintScreen itself. Alt held with PrintScreen puts a
// picture of the program's active window on the clipboard; PrintScreen alone puts the whole
// screen there where the display allows it, else the active window. The window picture comes
// from the program's own rendering, so it works wherever the program does (X11, Wayland,
// offscreen) and shows the page as the engine drew it.
class DesktopKeyboardEvents final : public KeyboardEvents
{
public:
    // The whole screen as the display gives it; a null pixmap when the display refuses.
    using ScreenGrab = std::function<QPixmap()>;

    DesktopKeyboardEvents();
    explicit DesktopKeyboardEvents(ScreenGrab grabScreen);

    void keybd_event(int virtualKey, int scanCode, int flags, int extraInfo) override;
    void DoEvents() override;

private:
    ScreenGrab m_grabScreen;
    bool m_altDown = false;
};
