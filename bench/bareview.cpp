// The floor for the start-up benchmark: the least a program can do to show the start page,
// a bare web view with a persistent profile loading the page from a file. It prints
// "loaded" when the page has finished loading and its title is the window's.

#include "startupphase.h"

#include <cstdio>
#include <QApplication>
#include <QStandardPaths>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KestravBareView"));
    markStartupPhase("application");
    if (argc < 2)
        return 2;

    QWebEngineProfile profile(QStringLiteral("Floor"));
    profile.setPersistentStoragePath(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QWebEngineView view;
    QWebEnginePage page(&profile, &view);
    view.setPage(&page);
    markStartupPhase("web profile and page");
    QObject::connect(&page, &QWebEnginePage::loadFinished, &view, [&](bool ok) {
        view.setWindowTitle(page.title());
        markStartupPhase("page loaded");
        std::puts(ok ? "loaded" : "failed");
        std::fflush(stdout);
    });
    view.resize(1024, 700);
    view.show();
    page.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    markStartupPhase("load step");
    return application.exec();
}
