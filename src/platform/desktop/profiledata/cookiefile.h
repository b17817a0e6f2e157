#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QString>

// The cookies the engine kept from earlier runs, in its storage folder's "Cookies" database.
// The engine reports only the cookies it sets while it runs, so the ones it kept are read from
// that file before the profile opens it (and locks it).
namespace CookieFile {

// Reads and remembers the kept cookies' domains, paths and names; never their values. A
// missing, locked or damaged file gives none.
void readBeforeEngine(const QString &storageFolder);
// What readBeforeEngine found for that folder.
QList<QNetworkCookie> keptAtStart(const QString &storageFolder);

} // namespace CookieFile
