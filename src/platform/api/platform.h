#pragma once

#include <functional>
#include <memory>
#include <QStringList>

class AppInfo;
class Clipboard;
class CommonDialog;
class DesktopFiles;
class ContentBlocking;
class HistoryStore;
class InternetTransfer;
class KeyboardEvents;
class Keyring;
class MailAutomation;
class MessageBox;
class PictureWriter;
class QWidget;
class RichTextArea;
class ScreenPointer;
class SettingsStore;
class SiteData;
class UserQuestions;
class WebBrowserControl;

// The hosted components and services, handed to the windows when they are created:
// main() builds the real ones, tests build doubles. A platform is complete: the browser
// window refuses to be built on one with a service missing.
struct Platform
{
    // The names of the services and component makers that are not set.
    QStringList missingServices() const;

    // Hosted components are made per window, as children of the given parent widget.
    std::function<WebBrowserControl *(QWidget *parent)> createWebBrowserControl;
    std::function<std::unique_ptr<RichTextArea>(QWidget *parent)> createRichTextArea;
    std::function<std::unique_ptr<InternetTransfer>()> createInternetTransfer;

    std::shared_ptr<CommonDialog> commonDialog;
    std::shared_ptr<SettingsStore> settings;
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<PictureWriter> pictureWriter;
    std::shared_ptr<KeyboardEvents> keyboard;
    std::shared_ptr<MailAutomation> mail;
    std::shared_ptr<MessageBox> messageBox;
    std::shared_ptr<ScreenPointer> screenPointer;
    std::shared_ptr<AppInfo> app;
    // Asked by the web control (downloads, certificates, permissions) and by the window.
    std::shared_ptr<UserQuestions> questions;
    std::shared_ptr<ContentBlocking> blocking;
    // The pages visited, kept across runs.
    std::shared_ptr<HistoryStore> history;
    // Downloaded files opened, or shown in their folder.
    std::shared_ptr<DesktopFiles> files;
    // What the engine keeps for the sites visited: cookies, cache, the pages' storage.
    std::shared_ptr<SiteData> siteData;
    // Saved sign-ins' passwords, kept by the desktop, never by us.
    std::shared_ptr<Keyring> keyring;
};
