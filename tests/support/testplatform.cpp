#include "testplatform.h"

#include "plaintextarea.h"

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
{
    platform.createWebBrowserControl = [this](QWidget *parent) -> WebBrowserControl * {
        auto *control = new FakeWebBrowserControl(parent);
        browser = control;
        return control;
    };
    platform.createRichTextArea = [](QWidget *parent) -> std::unique_ptr<RichTextArea> {
        return std::make_unique<PlainTextArea>(parent);
    };
    platform.createInternetTransfer = [this]() -> std::unique_ptr<InternetTransfer> {
        auto transfer = std::make_unique<FakeInternetTransfer>();
        transferCancels = transfer->cancels;
        return transfer;
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
}
