#pragma once

#include "platform/api/userquestions.h"

#include <iterator>
#include <QtGlobal>

// Each kind of permission a page may ask for, in the order they are shown: its name in the
// settings store, its name in the site data's list, and what the page wants to do as the
// question puts it. The texts are translated in the contexts they are marked with.
struct PermissionKind
{
    UserQuestions::Permission permission;
    const char *storeName;
    const char *listText;
    const char *wish;
};

inline constexpr PermissionKind PermissionKinds[] = {
    { UserQuestions::Permission::Camera, "camera", QT_TRANSLATE_NOOP("SiteDataWindow", "Camera"),
      QT_TRANSLATE_NOOP("DesktopUserQuestions", "use your camera") },
    { UserQuestions::Permission::Microphone, "microphone",
      QT_TRANSLATE_NOOP("SiteDataWindow", "Microphone"),
      QT_TRANSLATE_NOOP("DesktopUserQuestions", "use your microphone") },
    { UserQuestions::Permission::CameraAndMicrophone, "camera-microphone",
      QT_TRANSLATE_NOOP("SiteDataWindow", "Camera and microphone"),
      QT_TRANSLATE_NOOP("DesktopUserQuestions", "use your camera and your microphone") },
    { UserQuestions::Permission::Location, "location",
      QT_TRANSLATE_NOOP("SiteDataWindow", "Location"),
      QT_TRANSLATE_NOOP("DesktopUserQuestions", "know where you are") },
    { UserQuestions::Permission::Notifications, "notifications",
      QT_TRANSLATE_NOOP("SiteDataWindow", "Notifications"),
      QT_TRANSLATE_NOOP("DesktopUserQuestions", "show notifications on your desktop") },
    { UserQuestions::Permission::ScreenSharing, "screen",
      QT_TRANSLATE_NOOP("SiteDataWindow", "Screen"),
      QT_TRANSLATE_NOOP("DesktopUserQuestions", "see your screen") },
    { UserQuestions::Permission::PointerLock, "pointer-lock",
      QT_TRANSLATE_NOOP("SiteDataWindow", "Pointer lock"),
      QT_TRANSLATE_NOOP("DesktopUserQuestions", "take over the mouse pointer") },
};
static_assert(std::size(PermissionKinds) == int(UserQuestions::Permission::PointerLock) + 1,
              "every kind of permission has its row");

// The kind's row, or null for a value no kind has.
constexpr const PermissionKind *permissionKind(UserQuestions::Permission permission)
{
    for (const PermissionKind &kind : PermissionKinds) {
        if (kind.permission == permission)
            return &kind;
    }
    return nullptr;
}
