#pragma once

#include <QSet>
#include <QString>

class SettingsStore;

// What the user chose about blocking, in the settings store: whether it is on (a key of the
// blocking section, absent while it is on) and the sites allowed to show everything (one key
// per host in a section of their own).
namespace BlockingSettings {

QString application();
QString section();
QString sitesSection();

bool isEnabled(const SettingsStore &store);
// Fails with PlatformError when the store cannot keep it.
void setEnabled(SettingsStore &store, bool enabled);

// The site an address is allowed under: its host in lower case; "" when it has none.
QString siteOf(const QString &url);
QSet<QString> allowedSites(const SettingsStore &store);
// Fails with PlatformError for an address without a host, or when the store cannot keep it.
void setAllowedOn(SettingsStore &store, const QString &url, bool allowed);

} // namespace BlockingSettings
