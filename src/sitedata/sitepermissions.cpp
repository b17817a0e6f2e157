#include "sitedata/sitepermissions.h"

#include "platform/api/failure.h"
#include "platform/api/permissionkinds.h"
#include "platform/api/settingsstore.h"

namespace SitePermissions {

namespace {

const QString Application = QStringLiteral("ZivaruruviVO");
const QString AnswersSection = QStringLiteral("SitePermissions");
const QString CookiesSection = QStringLiteral("ThirdPartyCookies");

QList<SettingsStore::Row> rowsOf(const SettingsStore &store, const QString &section)
{
    QList<SettingsStore::Row> rows;
    Failure::skip([&] { rows = store.GetAllSettings(Application, section); });
    return rows;
}

// Host names carry no '/', so the kind after the last one cannot be mistaken for the site's.
QString keyOf(const QString &site, Permission permission)
{
    return site.toLower() + QLatin1Char('/') + kindName(permission);
}

} // namespace

QList<Permission> kinds()
{
    QList<Permission> all;
    for (const PermissionKind &kind : PermissionKinds)
        all.append(kind.permission);
    return all;
}

QString kindName(Permission permission)
{
    const PermissionKind *kind = permissionKind(permission);
    return kind ? QString::fromLatin1(kind->storeName) : QString();
}

std::optional<Permission> kindNamed(const QString &name)
{
    for (const Permission permission : kinds()) {
        if (kindName(permission) == name)
            return permission;
    }
    return std::nullopt;
}

std::optional<bool> find(const SettingsStore &store, const QString &site, Permission permission)
{
    QString value;
    Failure::skip(
        [&] { value = store.GetSetting(Application, AnswersSection, keyOf(site, permission)); });
    if (value == QLatin1String("allow"))
        return true;
    if (value == QLatin1String("deny"))
        return false;
    return std::nullopt;
}

QList<Answer> all(const SettingsStore &store)
{
    QList<Answer> answers;
    for (const auto &[key, value] : rowsOf(store, AnswersSection)) {
        const qsizetype slash = key.lastIndexOf(QLatin1Char('/'));
        const auto permission = kindNamed(key.mid(slash + 1));
        if (slash <= 0 || !permission
            || (value != QLatin1String("allow") && value != QLatin1String("deny")))
            continue;
        answers.append({ key.left(slash), *permission, value == QLatin1String("allow") });
    }
    return answers;
}

void keep(SettingsStore &store, const QString &site, Permission permission, bool allow)
{
    store.SaveSetting(Application, AnswersSection, keyOf(site, permission),
                      allow ? QStringLiteral("allow") : QStringLiteral("deny"));
}

void forget(SettingsStore &store, const QString &site, Permission permission)
{
    store.DeleteSetting(Application, AnswersSection, keyOf(site, permission));
}

void forgetAll(SettingsStore &store)
{
    const auto rows = store.GetAllSettings(Application, AnswersSection);
    store.transaction([&] {
        for (const auto &row : rows)
            store.DeleteSetting(Application, AnswersSection, row.first);
    });
}

QStringList thirdPartyCookieSites(const SettingsStore &store)
{
    QStringList sites;
    for (const auto &[key, value] : rowsOf(store, CookiesSection)) {
        if (value == QLatin1String("allow"))
            sites.append(key);
    }
    return sites;
}

void setThirdPartyCookies(SettingsStore &store, const QString &site, bool allowed)
{
    if (allowed)
        store.SaveSetting(Application, CookiesSection, site.toLower(), QStringLiteral("allow"));
    else
        store.DeleteSetting(Application, CookiesSection, site.toLower());
}

} // namespace SitePermissions
