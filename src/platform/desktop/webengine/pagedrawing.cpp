#include "platform/desktop/webengine/pagedrawing.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

namespace PageDrawing {

bool drawnInSoftware(QStringView renderer)
{
    // Mesa's software drivers, old and new, Google's, and the ones Windows and macOS fall back
    // to. A hardware driver may name the LLVM it compiles with: that alone says nothing.
    static constexpr QStringView softwareNames[] = {
        u"llvmpipe",
        u"softpipe",
        u"software rasterizer",
        u"swiftshader",
        u"basic render driver",
        u"gdi generic",
        u"apple software renderer",
    };
    for (QStringView name : softwareNames) {
        if (renderer.contains(name, Qt::CaseInsensitive))
            return true;
    }
    // Mesa's OpenSWR: "SWR (LLVM 12.0.0, 256 bits)".
    return renderer.startsWith(u"SWR ");
}

void chooseAtStart()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        return;
    // The engine made the context its views share as the application was made.
    QOpenGLContext *shared = QOpenGLContext::globalShareContext();
    if (!shared || !shared->isValid())
        return;
    QOffscreenSurface surface;
    surface.setFormat(shared->format());
    surface.create();
    if (!shared->makeCurrent(&surface))
        return;
    const auto *name
        = reinterpret_cast<const char *>(shared->functions()->glGetString(GL_RENDERER));
    const QString renderer = QString::fromLatin1(name ? name : "");
    shared->doneCurrent();
    if (drawnInSoftware(renderer))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

} // namespace PageDrawing
