#pragma once

#include "contentblocking/filterrules.h"

#include <string>
#include <string_view>

// Filter lists in the Adblock Plus syntax. What this program cannot apply as written (other
// blockers' extensions, scriptlets, procedural selectors, rewriting options) is skipped and
// counted, never applied with a meaning it does not have.
namespace Filters {

enum class LineKind {
    Comment, // also headers and empty lines
    Network,
    Cosmetic,
    Unsupported,
    Malformed,
    BadEncoding,
    TooLong,
    BadRegex,
};

// Lines longer than this are skipped: no real rule comes near it.
inline constexpr std::size_t MaxLineLength = 16 * 1024;

// Parses one line (without its line break) and adds its rule to rules.
LineKind parseLine(std::string_view line, RuleCollection &rules);
// What names a network rule for "$badfilter": its line with the options in a set order, and
// without "badfilter" itself.
std::string ruleIdentity(std::string_view line);
// Parses a whole list, counting its lines in rules.figures.
void parseList(std::string_view list, RuleCollection &rules);

} // namespace Filters
