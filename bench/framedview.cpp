// A second floor for the start-up benchmark: the bare web view of bareview, in a window with
// the same kinds of parts as Kestrav's and built in the same order, but none of Kestrav's own
// code. The frame (menu bar, toolbar, status bar and MDI area) filling the screen, the engine,
// a sub-window with a toolbar of 18 icon buttons and a progress bar, an address box and a links
// box above the view are made; the frame is shown once the view, its page's surface made, is
// inside it, so its native window is made once; the sub-window gets six menus and is maximised,
// and then the page loads. Its figure less the bare view's is what such a window costs on the
// machine; Kestrav's less this one's is what Kestrav's own code costs. With "shown-last" the
// frame is shown only once all of that is done and the page is loading, so it is laid out and
// painted once: the floor of a window finished before it is shown. It prints "loaded" as
// bareview does.
//
//   framedview STARTPAGE [shown-last]

#include "floorreport.h"
#include "floorview.h"
#include "platform/api/startupphase.h"
#include "platform/desktop/system/endsignals.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineScript>
#include <utility>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KestravBareView"));
    markStartupPhase("application");
    watchStartupPaints();
    if (argc < 2)
        return 2;
    const bool shownLast = argc > 2 && qstrcmp(argv[2], "shown-last") == 0;

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Main form"));
    auto *area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    QToolBar *frameToolBar = frame.addToolBar(QString());
    frameToolBar->addAction(frame.style()->standardIcon(QStyle::SP_DirOpenIcon), QString());
    auto *status = new QStatusBar(&frame);
    status->addWidget(new QLabel(QStringLiteral("Ready"), status));
    frame.setStatusBar(status);
    frame.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    if (QScreen *display = frame.screen())
        frame.setGeometry(display->availableGeometry());
    frame.setWindowState(Qt::WindowMaximized);

    FloorView floor;
    QWebEngineView &view = floor.view;
    QWebEnginePage &page = floor.page;
    markStartupPhase("web profile and page");

    auto *holder = new QMdiSubWindow;
    area->addSubWindow(holder);
    auto *window = new QWidget;
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *toolbar = new QToolBar(window);
    for (int i = 0; i < 18; ++i)
        toolbar->addAction(
            frame.style()->standardIcon(QStyle::StandardPixmap(QStyle::SP_ArrowUp + i % 8)),
            QString());
    auto *progress = new QProgressBar(toolbar);
    progress->setTextVisible(false);
    progress->setFixedSize(98, 13);
    toolbar->addWidget(progress);
    layout->addWidget(toolbar);
    auto *address = new QComboBox(window);
    address->setEditable(true);
    auto *links = new QComboBox(window);
    for (auto [label, box] : { std::pair { "Address:", address }, { "Links:", links } }) {
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(QString::fromLatin1(label), window));
        row->addWidget(box, 1);
        layout->addLayout(row);
    }
    layout->addWidget(&view, 1);
    holder->setWidget(window);
    holder->hide();
    // The page's surface joins the frame before the frame is first shown, as Kestrav's does.
    page.runJavaScript(QString(), QWebEngineScript::ApplicationWorld);
    const auto showFrame = [&frame] {
        frame.show();
        markStartupPhase("frame shown");
    };
    if (!shownLast)
        showFrame();
    // As Kestrav's window does as it loads: the frame's own toolbar goes.
    frameToolBar->hide();
    frame.menuBar()->clear();
    for (const char *title : { "&File", "&Go", "&Links", "&Copy", "&Mail", "&Options" }) {
        QMenu *menu = frame.menuBar()->addMenu(QString::fromLatin1(title));
        for (int i = 0; i < 8; ++i)
            menu->addAction(QStringLiteral("Item &%1").arg(i));
    }
    QObject::connect(&page, &QWebEnginePage::urlChanged, address,
                     [&](const QUrl &url) { address->setEditText(url.toString()); });
    reportStartPageIn(*holder, page);
    holder->showMaximized();
    progress->setValue(90);
    page.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    markStartupPhase("load step");
    if (shownLast)
        showFrame();
    // Ended as the session ends a program, as Kestrav is: its profile is closed, not dropped.
    const EndSignals ends([] { QCoreApplication::quit(); });
    return application.exec();
}
