#pragma once

#include <QtGlobal>

// The most text the source view takes at once. Beyond it the window would stop painting for
// seconds and hold several times the text in memory, so a larger document gets a message
// instead. Laying out one line costs in proportion to its length wherever it wraps, hence
// the bound on a single line too.
namespace ShownLimits {

inline constexpr qsizetype MaxTextChars = 16 * 1024 * 1024;
inline constexpr qsizetype MaxLineChars = 512 * 1024;

} // namespace ShownLimits
