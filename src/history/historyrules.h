#pragma once

#include "platform/api/historystore.h"

#include <QString>

// What the history keeps of a page, and how it ranks an address.
namespace History {

// Longer addresses are not kept (data, tracking blobs); longer titles are cut.
inline constexpr qsizetype MaxAddressBytes = 8 * 1024;
inline constexpr qsizetype MaxTitleLength = 1024;

// False for the program's own pages (the bundled start page, about:, data:, the engine's
// error and internal pages) and for addresses over MaxAddressBytes in UTF-8.
bool isRecorded(const QString &url);
// The title cut at MaxTitleLength characters, never inside a surrogate pair.
QString recordedTitle(const QString &title);

// The host of an address in lower case, without a leading "www.".
QString hostOf(const QString &url);
// The part of typed text that a host may start with: without scheme and "www.", up to the
// first "/"; "" when the text holds a space or nothing of a host.
QString hostPrefix(const QString &typed);

// Frecency: each of the newest visits earns points by its kind (typed far above followed)
// and by its age (within 4 days, 14, 31, 90, older); the address scores its visit count
// times the mean points of those visits.
FrecencyScore frecency(const QList<VisitSample> &newestFirst, qint64 visitCount, qint64 now);

} // namespace History
