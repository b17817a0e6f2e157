#include "desktopplatform.h"

#include "desktopservices.h"
#include "desktopuserquestions.h"
#include "networkinternettransfer.h"
#include "plaintextarea.h"
#include "rememberedanswers.h"
#include "sqlitesettingsstore.h"
#include "webenginebrowsercontrol.h"

#include <QCoreApplication>

Platform makeDesktopPlatform()
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
    platform.settings = std::make_shared<SqliteSettingsStore>(SqliteSettingsStore::defaultPath());
    platform.messageBox = std::make_shared<DesktopMessageBox>(QCoreApplication::applicationName());
    platform.screenPointer = std::make_shared<DesktopScreenPointer>();
    platform.app = std::make_shared<DesktopAppInfo>();
    return platform;
}
