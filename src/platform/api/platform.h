#pragma once

#include <functional>
#include <memory>

class AppInfo;
class Clipboard;
class CommonDialog;
class InternetTransfer;
class KeyboardEvents;
class MailAutomation;
class MessageBox;
class PictureWriter;
class QWidget;
class RichTextArea;
class ScreenPointer;
class SettingsStore;
class UserQuestions;
class WebBrowserControl;

// The hosted components and services, handed to the windows when they are created:
// main() builds the real ones, tests build doubles. None is ever null: a new Platform holds
// services that answer every call with a PlatformError saying they are not available, so a
// command whose service is missing shows the error box instead of crashing.
struct Platform
{
    Platform();

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
};
