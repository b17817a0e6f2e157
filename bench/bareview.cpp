// The floor for the start-up benchmark: the least a program can do to show the start page,
// a bare web view with a persistent profile loading the page from a file, in a window of
// the given size (Kestrav's page area; 1024x700 if none is given). It prints "loaded" when
// the page has finished loading and its title is the window's.
//
//   bareview STARTPAGE [WIDTHxHEIGHT]

#include "floorreport.h"
#include "floorview.h"
#include "platform/api/startupphase.h"

#include <QApplication>
#include <QUrl>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KestravBareView"));
    markStartupPhase("application");
    if (argc < 2)
        return 2;

    FloorView floor;
    QWebEngineView &view = floor.view;
    QWebEnginePage &page = floor.page;
    markStartupPhase("web profile and page");
    reportStartPageIn(view, page);
    const QList<QByteArray> size = QByteArray(argc > 2 ? argv[2] : "1024x700").split('x');
    view.resize(size.value(0).toInt(), size.value(1).toInt());
    view.show();
    page.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    markStartupPhase("load step");
    return application.exec();
}
