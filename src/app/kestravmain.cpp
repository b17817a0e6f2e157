#include "app/kestravmain.h"

#include "app/frmframe.h"
#include "app/processmemory.h"
#include "history/historyrules.h"
#include "platform/api/startupphase.h"
#include "platform/desktop/desktopplatform.h"
#include "platform/desktop/system/endsignals.h"
#include "platform/desktop/webengine/diskcaches.h"

#include <QApplication>

int kestravMain(int argc, char *argv[], const std::function<void(Platform &)> &adjust)
{
    returnLargeBlocksWhenFreed();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The frame's menu bar is its own, in the window: it carries the maximised browser
    // window's buttons and changes with the window shown. Asking the desktop for a global
    // menu bar instead would also cost a bus round trip at start.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    // The engine keeps a page's accessibility tree from a screen reader on Linux unless told
    // otherwise. It builds the tree only while Qt's accessibility is active: while a screen reader
    // listens.
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    DiskCaches::decideAtStart();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrav"));
    QApplication::setOrganizationName(QStringLiteral("Kestrav"));
    markStartupPhase("application");
    returnFreedPagesEvery(FreedPagesInterval, &application);

    Platform platform = makeDesktopPlatform(History::frecency);
    if (adjust)
        adjust(platform);
    frmFrame frame(std::move(platform));
    markStartupPhase("frame");
    const EndSignals ending([&frame] { frame.endSession(); });
    frame.MDIForm_Load();
    return application.exec();
}
