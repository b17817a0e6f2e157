#pragma once

#include <memory>

class QWebEngineNotification;
class QWebEngineProfile;

// A page's notifications, shown by the desktop's notification service
// (org.freedesktop.Notifications on the session bus) with the page's site as their source.
// Choosing one tells the page and brings the program's window forward; closing one tells the
// page too. Without a service, a notification is dropped quietly: the page asked for nothing
// that the user must answer.
namespace DesktopNotifications {

void presentFor(QWebEngineProfile &profile);

// Shows one notification; it lives until the desktop closes it or the page replaces it.
void present(std::unique_ptr<QWebEngineNotification> notification);

} // namespace DesktopNotifications
