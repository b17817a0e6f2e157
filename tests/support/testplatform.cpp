#include "testplatform.h"

#include "history/historyrules.h"
#include "platform/desktop/text/plaintextarea.h"

TestPlatform::TestPlatform(const QString &programFolder)
    : messages(std::make_shared<RecordingMessageBox>())
    , pointer(std::make_shared<RecordingScreenPointer>())
    , app(std::make_shared<FakeAppInfo>(programFolder))
    , settings(std::make_shared<FakeSettingsStore>())
    , dialog(std::make_shared<ScriptedCommonDialog>(programFolder + QStringLiteral("/printed.pdf")))
    , mail(std::make_shared<RecordingMailAutomation>())
    , journal(std::make_shared<QStringList>())
    , clipboard(std::make_shared<RecordingClipboard>(journal))
    , keyboard(std::make_shared<RecordingKeyboardEvents>(journal, clipboard))
    , pictures(std::make_shared<RecordingPictureWriter>(journal))
    , questions(std::make_shared<ScriptedUserQuestions>())
    , blocking(std::make_shared<FakeContentBlocking>())
    , history(std::make_shared<FakeHistoryStore>(History::frecency))
    , downloads(std::make_shared<FakeDownloads>())
    , files(std::make_shared<RecordingDesktopFiles>())
    , siteData(std::make_shared<FakeSiteData>())
{
    platform.createWebBrowserControl = [this](QWidget *parent) -> WebBrowserControl * {
        auto *control = new FakeWebBrowserControl(parent);
        control->fakeDownloads.downloadList = downloads;
        if (parent && parent->objectName() == QLatin1String("sourceWindow"))
            sourceBrowser = control;
        else
            browser = control;
        return control;
    };
    platform.createRichTextArea = [this](QWidget *parent) -> std::unique_ptr<RichTextArea> {
        auto area = std::make_unique<PlainTextArea>(parent);
        text = area.get();
        return area;
    };
    platform.createInternetTransfer = [this]() -> std::unique_ptr<InternetTransfer> {
        auto made = std::make_unique<FakeInternetTransfer>();
        transfer = made.get();
        transferCancels = made->cancels;
        return made;
    };
    platform.messageBox = messages;
    platform.screenPointer = pointer;
    platform.app = app;
    platform.settings = settings;
    platform.commonDialog = dialog;
    platform.mail = mail;
    platform.clipboard = clipboard;
    platform.keyboard = keyboard;
    platform.pictureWriter = pictures;
    platform.questions = questions;
    platform.blocking = blocking;
    platform.history = history;
    platform.files = files;
    platform.siteData = siteData;
    platform.keyring = keyring;
}
