#pragma once

#include "import/bookmarks.h"

#include <QList>
#include <QString>

namespace Import {

// One place another browser keeps bookmarks in.
struct BrowserSource
{
    enum class Kind {
        FirefoxPlaces, // path: a profile's places.sqlite
        JsonBookmarks, // path: Chromium's Bookmarks or Falkon's bookmarks.json
        Qutebrowser, // path: qutebrowser's configuration folder
    };
    Kind kind = Kind::JsonBookmarks;
    QString browser; // "Firefox", "Chromium", "Google Chrome", ...
    QString profile; // the profile's name; empty for a browser without profiles
    QString path;

    // "Firefox (default-release)", or the browser alone.
    QString name() const;
};

// The browsers' bookmarks found under a home folder: Firefox's profiles (profiles.ini, also
// of its snap and flatpak), each profile of Chromium, Google Chrome, Brave and Vivaldi,
// Falkon's profiles and qutebrowser's lists.
QList<BrowserSource> findBrowsers(const QString &home);

// Reads one source (for Firefox from a copy of its database).
BookmarksRead readSource(const BrowserSource &source);

// What the window lists for a source once it was read: "Firefox (default-release): 412
// bookmarks", or why it cannot be read.
QString describe(const BrowserSource &source, const BookmarksRead &read);

} // namespace Import
