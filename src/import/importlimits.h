#pragma once

#include <QtGlobal>

// What the readers take from files that another program, or anyone, wrote. Past a cap a file
// gets an answer that says so; nothing is read half and reported whole.
namespace ImportLimits {

// A bookmarks file (JSON, HTML, qutebrowser's lists) or a passwords file: far above what a
// browser writes for a hundred thousand bookmarks, and small enough to hold in memory.
inline constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

// Firefox's places.sqlite holds the history too, and is copied before it is read.
inline constexpr qint64 MaxPlacesBytes = 1024LL * 1024 * 1024;

// Folders within folders: browsers nest a few levels; a file nested deeper is not theirs.
inline constexpr int MaxDepth = 1000;

// Bookmarks or sign-ins taken from one source.
inline constexpr qsizetype MaxItems = 1'000'000;

// One address, title, user name or password.
inline constexpr qsizetype MaxFieldChars = 64 * 1024;

// profiles.ini, Local State and the like.
inline constexpr qint64 MaxSmallFileBytes = 1024 * 1024;

} // namespace ImportLimits
