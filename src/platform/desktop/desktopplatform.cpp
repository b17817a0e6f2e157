#include "desktopplatform.h"

#include "bmppicturewriter.h"
#include "desktopclipboard.h"
#include "desktopcommondialog.h"
#include "desktopkeyboardevents.h"
#include "desktopmailautomation.h"
#include "desktopservices.h"
#include "desktopuserquestions.h"
#include "networkinternettransfer.h"
#include "plaintextarea.h"
#include "rememberedanswers.h"
#include "sqlitehistorystore.h"
#include "sqlitesettingsstore.h"
#include "webenginebrowsercontrol.h"

#include <QCoreApplication>

Platform makeDesktopPlatform(FrecencyRule historyRanking)
{
    Platform platform;
    platform.questions = std::make_shared<RememberedAnswers>(
        std::make_shared<DesktopUserQuestions>(QCoreApplication::applicationName()));
    platform.createWebBrowserControl
        = [questions = platform.questions](QWidget *parent) -> WebBrowserControl * {
        return new WebEngineBrowserControl(parent, questions);
    };
    platform.createRichTextArea = [](QWidget *parent) -> std::unique_ptr<RichTextArea> {
        return std::make_unique<PlainTextArea>(parent);
    };
    platform.createInternetTransfer = []() -> std::unique_ptr<InternetTransfer> {
        return std::make_unique<NetworkInternetTransfer>();
    };
    platform.commonDialog = std::make_shared<DesktopCommonDialog>();
    platform.settings = std::make_shared<SqliteSettingsStore>(SqliteSettingsStore::defaultPath());
    platform.messageBox = std::make_shared<DesktopMessageBox>(QCoreApplication::applicationName());
    platform.screenPointer = std::make_shared<DesktopScreenPointer>();
    platform.app = std::make_shared<DesktopAppInfo>();
    platform.mail = std::make_shared<DesktopMailAutomation>();
    platform.clipboard = std::make_shared<DesktopClipboard>();
    platform.pictureWriter = std::make_shared<BmpPictureWriter>();
    platform.keyboard = std::make_shared<DesktopKeyboardEvents>();
    platform.history = std::make_shared<SqliteHistoryStore>(SqliteHistoryStore::defaultPath(),
                                                            std::move(historyRanking));
    return platform;
}
