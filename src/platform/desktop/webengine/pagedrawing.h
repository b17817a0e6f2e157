#pragma once

#include <QStringView>

// How the pages' views draw. A view shows the engine's frames through Qt Quick, which draws
// with OpenGL by default. Where OpenGL is itself drawn by the processor (a machine or a remote
// session without a graphics driver, where the engine already draws its pages in software),
// every frame and every paint of the window is then copied into OpenGL's buffers, composed
// there and copied out again; Qt Quick's own software renderer puts them on the screen as
// they are. Where a graphics card draws OpenGL, nothing changes.
namespace PageDrawing {

// Whether the OpenGL renderer of that name (as the driver gives it) draws with the processor.
bool drawnInSoftware(QStringView renderer);

// Chooses once the application is made, before the first view: the software renderer where
// OpenGL is drawn in software. Where QT_QUICK_BACKEND is set, even empty, Qt's choice stands.
void chooseAtStart();

} // namespace PageDrawing
