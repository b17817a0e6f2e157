#include "platform/desktop/system/desktopkeyboardevents.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QWidget>

namespace {

constexpr int VirtualKeyAlt = 18;
constexpr int VirtualKeyPrintScreen = 44;
constexpr int KeyUpFlag = 2;

// The window the user is working in; when the program has none active (the user switched
// away while a dialog was closing), its main window.
QWidget *activeTopLevelWindow()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowType() == Qt::Window)
            return widget;
    }
    return nullptr;
}

QPixmap grabPrimaryScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0) : QPixmap();
}

QImage activeWindowPicture()
{
    QWidget *window = activeTopLevelWindow();
    // QWidget::grab renders the window afresh, including the web page's own surface.
    return window ? window->grab().toImage() : QImage();
}

} // namespace

DesktopKeyboardEvents::DesktopKeyboardEvents()
    : DesktopKeyboardEvents(grabPrimaryScreen)
{
}

DesktopKeyboardEvents::DesktopKeyboardEvents(ScreenGrab grabScreen)
    : m_grabScreen(std::move(grabScreen))
{
}

void DesktopKeyboardEvents::keybd_event(int virtualKey, int scanCode, int flags, int extraInfo)
{
    Q_UNUSED(scanCode);
    Q_UNUSED(extraInfo);
    const bool keyUp = flags & KeyUpFlag;
    if (virtualKey == VirtualKeyAlt) {
        m_altDown = !keyUp;
        return;
    }
    if (virtualKey != VirtualKeyPrintScreen || keyUp)
        return;

    QImage picture;
    if (!m_altDown && m_grabScreen)
        picture = m_grabScreen().toImage();
    if (picture.isNull())
        picture = activeWindowPicture();
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
}

void DesktopKeyboardEvents::DoEvents()
{
    QCoreApplication::processEvents();
}
