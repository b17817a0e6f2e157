#include "platform/desktop/desktopplatform.h"

#include "platform/desktop/blocking/desktopcontentblocking.h"
#include "platform/desktop/dialogs/desktopcommondialog.h"
#include "platform/desktop/dialogs/desktopuserquestions.h"
#include "platform/desktop/history/sqlitehistorystore.h"
#include "platform/desktop/keyring/secretservicekeyring.h"
#include "platform/desktop/mail/desktopmailautomation.h"
#include "platform/desktop/profiledata/webenginesitedata.h"
#include "platform/desktop/settings/sqlitesettingsstore.h"
#include "platform/desktop/system/desktopclipboard.h"
#include "platform/desktop/system/desktopkeyboardevents.h"
#include "platform/desktop/system/desktopservices.h"
#include "platform/desktop/system/picturefilewriter.h"
#include "platform/desktop/text/plaintextarea.h"
#include "platform/desktop/transfer/networkinternettransfer.h"
#include "platform/desktop/webengine/webenginebrowsercontrol.h"

#include <QCoreApplication>
#include <QStandardPaths>

Platform makeDesktopPlatform(DesktopRules rules)
{
    Platform platform;
    platform.settings = std::make_shared<SqliteSettingsStore>(SqliteSettingsStore::defaultPath());
    if (rules.keepSettings)
        platform.settings = rules.keepSettings(platform.settings);
    platform.questions
        = std::make_shared<DesktopUserQuestions>(QCoreApplication::applicationName());
    if (rules.askQuestions)
        platform.questions = rules.askQuestions(platform.questions, platform.settings);
    // The sites allowed third-party cookies are the rules' to read; they are told before the
    // first page opens.
    auto siteData = std::make_shared<WebEngineSiteData>(QStringList());
    platform.siteData = siteData;
    platform.app = std::make_shared<DesktopAppInfo>();
    auto blocking = std::make_shared<DesktopContentBlocking>(
        platform.settings, platform.app->DataPath(),
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
    platform.blocking = blocking;
    platform.createWebBrowserControl = [questions = platform.questions, blocking,
                                        siteData](QWidget *parent) -> WebBrowserControl * {
        auto *control = new WebEngineBrowserControl(parent, questions);
        blocking->attach(control);
        siteData->attach(control);
        return control;
    };
    platform.createRichTextArea = [](QWidget *parent) -> std::unique_ptr<RichTextArea> {
        return std::make_unique<PlainTextArea>(parent);
    };
    platform.createInternetTransfer = []() -> std::unique_ptr<InternetTransfer> {
        return std::make_unique<NetworkInternetTransfer>();
    };
    platform.commonDialog = std::make_shared<DesktopCommonDialog>();
    platform.messageBox = std::make_shared<DesktopMessageBox>(QCoreApplication::applicationName());
    platform.screenPointer = std::make_shared<DesktopScreenPointer>();
    platform.mail = std::make_shared<DesktopMailAutomation>();
    platform.clipboard = std::make_shared<DesktopClipboard>();
    platform.pictureWriter = std::make_shared<PictureFileWriter>();
    platform.keyboard = std::make_shared<DesktopKeyboardEvents>();
    platform.files = std::make_shared<DesktopFileHandlers>();
    platform.history = std::make_shared<SqliteHistoryStore>(SqliteHistoryStore::defaultPath(),
                                                            std::move(rules.historyRanking));
    platform.keyring = std::make_shared<SecretServiceKeyring>(QCoreApplication::applicationName()
                                                              + QStringLiteral(" sign-ins"));
    return platform;
}
