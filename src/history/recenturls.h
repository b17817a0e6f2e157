#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// The stored list of recent addresses: key 1 the most recent, key 10 the oldest kept.
namespace RecentUrls {

QString application();
QString section();
// "URLHistory" followed by n.
QString keyName(int n);

// The stored addresses to offer, in stored order: none while key 1 is empty. A store that
// cannot be read offers nothing.
QStringList read(const SettingsStore &store);

// Puts inURL, exactly as passed, at the head of the list; an empty or all-space address
// leaves the store untouched. The shift and the new head are stored together, or not at all.
void write(SettingsStore &store, const QString &inURL);

} // namespace RecentUrls
