#include "platform.h"

#include "unavailableservices.h"

Platform::Platform()
    : createWebBrowserControl(Unavailable::createWebBrowserControl)
    , createRichTextArea(Unavailable::createRichTextArea)
    , createInternetTransfer(Unavailable::createInternetTransfer)
    , commonDialog(std::make_shared<Unavailable::CommonDialog>())
    , settings(std::make_shared<Unavailable::SettingsStore>())
    , clipboard(std::make_shared<Unavailable::Clipboard>())
    , pictureWriter(std::make_shared<Unavailable::PictureWriter>())
    , keyboard(std::make_shared<Unavailable::KeyboardEvents>())
    , mail(std::make_shared<Unavailable::MailAutomation>())
    , messageBox(std::make_shared<Unavailable::MessageBox>())
    , screenPointer(std::make_shared<Unavailable::ScreenPointer>())
    , app(std::make_shared<Unavailable::AppInfo>())
    , questions(std::make_shared<Unavailable::UserQuestions>())
{
}
