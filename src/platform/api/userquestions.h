#pragma once

#include <optional>
#include <QString>

// What the web control has to ask the user while it works, and what the window asks before
// it closes. Each question is modal. A question that cannot be asked fails with
// PlatformError; the caller then takes the careful answer (no file, no trust, no grant).
class UserQuestions
{
public:
    // What a page may ask to use.
    enum class Permission {
        Camera,
        Microphone,
        CameraAndMicrophone,
        Location,
        Notifications,
        ScreenSharing,
        PointerLock,
    };

    // Whether a page may use what it asks for, and whether the answer holds for its site from
    // now on or only this time.
    struct PermissionAnswer
    {
        bool allow = false;
        bool remember = false;
    };

    struct Credentials
    {
        QString user;
        QString password;
    };

    virtual ~UserQuestions() = default;

    // Where a download goes: the full path chosen, or "" when the user declines.
    virtual QString whereToSave(const QString &suggestedPath) = 0;
    // A site whose certificate is not valid: true to show it anyway, false to go back.
    // problem says in plain words what is wrong with the certificate.
    virtual bool proceedDespiteCertificate(const QString &host, const QString &problem) = 0;
    // A page asks to use something.
    virtual PermissionAnswer allowPermission(const QString &host, Permission permission) = 0;
    // The window closes while downloads run: true to cancel them, false to let them finish.
    virtual bool cancelDownloads(int running) = 0;
    // The user leaves the program while downloads run: true to quit and cancel them, false to
    // stay.
    virtual bool quitCancellingDownloads(int running) = 0;
    // A site (or proxy) asks who the user is; realm is what it says about itself, "" when
    // nothing. Nothing when the user declines.
    virtual std::optional<Credentials> credentials(const QString &site, const QString &realm) = 0;
    // The page shown has stopped answering: true to end its process, false to wait.
    virtual bool stopUnresponsivePage(const QString &site) = 0;
};
