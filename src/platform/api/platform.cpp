#include "platform/api/platform.h"

QStringList Platform::missingServices() const
{
    const std::pair<bool, const char *> services[] = {
        { bool(createWebBrowserControl), "web browser control" },
        { bool(createRichTextArea), "text area" },
        { bool(createInternetTransfer), "internet transfer" },
        { bool(commonDialog), "common dialog" },
        { bool(settings), "settings store" },
        { bool(clipboard), "clipboard" },
        { bool(pictureWriter), "picture writer" },
        { bool(keyboard), "keyboard events" },
        { bool(mail), "mail automation" },
        { bool(messageBox), "message box" },
        { bool(screenPointer), "screen pointer" },
        { bool(app), "application information" },
        { bool(questions), "user questions" },
        { bool(blocking), "content blocking" },
        { bool(history), "history store" },
        { bool(files), "desktop files" },
        { bool(siteData), "site data" },
        { bool(keyring), "keyring" },
    };
    QStringList missing;
    for (const auto &[present, name] : services) {
        if (!present)
            missing.append(QString::fromLatin1(name));
    }
    return missing;
}
