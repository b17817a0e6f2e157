// The floor for the long run: a bare web view, with a persistent profile like Kestrav's, going
// through the long run's navigations on the given loopback server. A download is not taken
// (the view lets it go), a page's process is killed where the long run kills Kestrav's, and a
// hung page is stopped the only way a bare view can: its process is killed. It prints
// "memory N MiB" (PSS of this program and its engine's processes, at rest for REST_MS first)
// after the first reading and after the last navigation, then "done".
//
//   baresoak http://127.0.0.1:PORT REST_MS

#include "benchpages.h"
#include "floorview.h"
#include "programmemory.h"
#include "soakplan.h"

#include <csignal>
#include <cstdio>
#include <QApplication>
#include <QUrl>
#include <QWebEngineDownloadRequest>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KestravBareSoak"));
    if (argc < 3)
        return 2;
    const QString server = QString::fromLocal8Bit(argv[1]);
    const std::chrono::milliseconds rest(QByteArray(argv[2]).toInt());
    const auto fail = [](const QString &what) {
        std::printf("FAILED: %s\n", qPrintable(what));
        return 1;
    };

    FloorView floor;
    QWebEngineProfile &profile = floor.profile;
    QWebEngineView &view = floor.view;
    QWebEnginePage &page = floor.page;
    view.resize(1024, 700);
    view.show();

    int loads = 0, downloads = 0, ended = 0;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &view, [&] { ++loads; });
    QObject::connect(&profile, &QWebEngineProfile::downloadRequested, &view,
                     [&](QWebEngineDownloadRequest *) { ++downloads; });
    QObject::connect(&page, &QWebEnginePage::renderProcessTerminated, &view, [&] { ++ended; });
    const auto killPage = [&] {
        const int before = ended;
        ::kill(pid_t(page.renderProcessPid()), SIGKILL);
        return waitFor([&] { return ended > before; });
    };

    for (int n = 1; n <= SoakNavigations; ++n) {
        const QString path = soakPath(n);
        const int loadsBefore = loads, downloadsBefore = downloads;
        page.load(QUrl(server + path));
        const bool download = path == QStringLiteral("/file.bin");
        if (!waitFor([&] { return download ? downloads > downloadsBefore : loads > loadsBefore; }))
            return fail(QStringLiteral("navigation %1 (%2) did not end").arg(n).arg(path));
        if (path == QStringLiteral("/hang.html")) {
            // The page spins from 300 ms after its load.
            waitFor([] { return false; }, 1'000);
            if (!killPage())
                return fail(QStringLiteral("navigation %1: the hung page did not end").arg(n));
        } else if (soakKillsPage(n) && !killPage()) {
            return fail(QStringLiteral("navigation %1: the killed page did not end").arg(n));
        }
        if (n == SoakFirstReading || n == SoakNavigations) {
            const MemoryReading memory = settledProgramMemory(rest);
            std::printf("memory %d %.1f %.1f MiB\n", n, memory.all, memory.main);
            std::fflush(stdout);
        }
    }
    std::puts("done");
    return 0;
}
