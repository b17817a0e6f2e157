#pragma once

#include "platform/api/userquestions.h"

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

class SettingsStore;

// What the user has decided for each site, kept in the settings store across runs: the
// permissions remembered per site and kind, and the sites that may get third-party cookies.
// Sites are host names, compared without regard to case.
namespace SitePermissions {

using Permission = UserQuestions::Permission;

struct Answer
{
    QString site;
    Permission permission = Permission::Camera;
    bool allow = false;
};

// The kinds a page may ask for, in the order they are shown.
QList<Permission> kinds();
// The kind's name in the store ("camera", "location", ...).
QString kindName(Permission permission);
std::optional<Permission> kindNamed(const QString &name);

// The remembered answer, if any. A store that cannot be read remembers nothing.
std::optional<bool> find(const SettingsStore &store, const QString &site, Permission permission);
// Every remembered answer, in the order of first creation; rows the store holds but this
// program does not know are left out.
QList<Answer> all(const SettingsStore &store);
// These fail with PlatformError when the store cannot be written.
void keep(SettingsStore &store, const QString &site, Permission permission, bool allow);
void forget(SettingsStore &store, const QString &site, Permission permission);
void forgetAll(SettingsStore &store);

// The sites whose pages may get cookies from other sites.
QStringList thirdPartyCookieSites(const SettingsStore &store);
void setThirdPartyCookies(SettingsStore &store, const QString &site, bool allowed);

} // namespace SitePermissions
