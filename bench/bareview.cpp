// The floor for the start-up benchmark: the least a program can do to show the start page,
// a bare web view with a persistent profile loading the page from a file, in a window of
// the given size (Kestrav's page area; 1024x700 if none is given), or filling the screen as
// Kestrav's frame does ("screen"). It prints "loaded" when the page has finished loading and
// its title is the window's.
//
//   bareview STARTPAGE [WIDTHxHEIGHT | screen]

#include "floorreport.h"
#include "floorview.h"
#include "platform/api/startupphase.h"
#include "platform/desktop/system/endsignals.h"

#include <QApplication>
#include <QScreen>
#include <QUrl>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KestravBareView"));
    markStartupPhase("application");
    watchStartupPaints();
    if (argc < 2)
        return 2;

    FloorView floor;
    QWebEngineView &view = floor.view;
    QWebEnginePage &page = floor.page;
    markStartupPhase("web profile and page");
    reportStartPageIn(view, page);
    const QByteArray size = argc > 2 ? argv[2] : "1024x700";
    if (size == "screen") {
        if (QScreen *display = view.screen())
            view.setGeometry(display->availableGeometry());
        view.showMaximized();
    } else {
        const QList<QByteArray> sides = size.split('x');
        view.resize(sides.value(0).toInt(), sides.value(1).toInt());
        view.show();
    }
    page.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    markStartupPhase("load step");
    // Ended as the session ends a program, as Kestrav is: its profile is closed, not dropped.
    const EndSignals ends([] { QCoreApplication::quit(); });
    return application.exec();
}
