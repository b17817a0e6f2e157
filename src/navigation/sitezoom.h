#pragma once

#include <QString>

class SettingsStore;

// The zoom of pages, and the zoom each site keeps across runs: one key per host in a section
// of its own, holding the percent. A site at 100 % has no key.
namespace SiteZoom {

// The steps that zooming in and out goes through, in percent.
inline constexpr int Steps[]
    = { 25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500 };

QString application();
QString section();

// The factor one step above (up) or below the factor; at the first or last step, that step.
qreal stepped(qreal factor, bool up);
// "125 %"
QString percentText(qreal factor);

// The host that an address's zoom is kept under, lower case; "" when it has none.
QString hostOf(const QString &url);
// The zoom kept for the address's site; 1.0 when none is kept or the store cannot say.
qreal forAddress(const SettingsStore &store, const QString &url);
// Keeps the zoom for the address's site; 100 % forgets the site. An address without a host
// keeps nothing.
void keep(SettingsStore &store, const QString &url, qreal factor);

} // namespace SiteZoom
