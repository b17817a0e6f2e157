#include "app/kestravmain.h"

#include "app/frmframe.h"
#include "app/processmemory.h"
#include "history/historyrules.h"
#include "platform/api/sitedata.h"
#include "platform/api/startupphase.h"
#include "platform/desktop/desktopplatform.h"
#include "platform/desktop/profiledata/diskcaches.h"
#include "platform/desktop/reader/darkrendering.h"
#include "platform/desktop/reader/readerscheme.h"
#include "platform/desktop/system/endsignals.h"
#include "platform/desktop/system/singleinstance.h"
#include "platform/desktop/webengine/pagedrawing.h"
#include "questions/onequestionatatime.h"
#include "settings/keepingsettingsstore.h"
#include "sitedata/rememberedanswers.h"
#include "sitedata/sitepermissions.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>

int kestravMain(int argc, char *argv[], const std::function<void(Platform &)> &adjust)
{
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
    ReaderScheme::registerAtStart();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrav"));
    QApplication::setOrganizationName(QStringLiteral("Kestrav"));
    markStartupPhase("application");
    watchStartupPaints();
    PageDrawing::chooseAtStart();

    // Before anything of the profile opens: a second start on it hands over to the copy
    // that runs and ends. The profile is the data folder, where the engine keeps its storage.
    SingleInstance single(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    switch (single.start()) {
    case SingleInstance::Start::First:
        break;
    case SingleInstance::Start::HandedOver:
        return 0;
    case SingleInstance::Start::NotAnswering:
        QMessageBox::warning(nullptr, QApplication::applicationName(),
                             SingleInstance::notAnsweringMessage());
        return 1;
    }
    markStartupPhase("one copy per profile");
    returnFreedPagesEvery(FreedPagesInterval, &application);
    // The start makes and frees many large blocks (the engine's and the software renderer's
    // buffers): mapping and unmapping each of them cost the start page a tenth of its time.
    afterStartPage(&application, &returnLargeBlocksWhenFreed);

    DesktopRules rules;
    rules.historyRanking = History::frecency;
    // One store that keeps what the file refuses, shared by every part that keeps settings.
    rules.keepSettings = [](std::shared_ptr<SettingsStore> file) -> std::shared_ptr<SettingsStore> {
        return std::make_shared<KeepingSettingsStore>(std::move(file));
    };
    rules.askQuestions = [](std::shared_ptr<UserQuestions> asked,
                            std::shared_ptr<SettingsStore> kept) -> std::shared_ptr<UserQuestions> {
        return std::make_shared<OneQuestionAtATime>(
            std::make_shared<RememberedAnswers>(std::move(asked), std::move(kept)));
    };
    Platform platform = makeDesktopPlatform(std::move(rules));
    // The engine starts with the first page, in the frame.
    DarkRendering::applyAtStart(*platform.settings);
    platform.siteData->setThirdPartyCookieSites(
        SitePermissions::thirdPartyCookieSites(*platform.settings));
    if (adjust)
        adjust(platform);
    frmFrame frame(std::move(platform));
    markStartupPhase("frame");
    const EndSignals ending([&frame] { frame.endSession(); });
    QObject::connect(&single, &SingleInstance::forwardRequested, &frame, &frmFrame::bringForward);
    frame.MDIForm_Load();
    return application.exec();
}
