#pragma once

#include "contentblocking/filterrules.h"

#include <string>
#include <string_view>
#include <vector>

// The text of filter lines: blanks, case, encodings, and the domain lists of rules.
namespace Filters {

inline constexpr std::size_t npos = std::string_view::npos;

} // namespace Filters

namespace Filters::Text {

std::string_view trimmed(std::string_view text);
// ASCII letters in lower case; other bytes as they are.
std::string lowered(std::string_view text);
bool isUtf8(std::string_view text);
bool isAscii(std::string_view text);
// One domain of a domain list, in the lower-case ASCII form that hosts have; "" if it is not
// a domain.
std::string domainForm(std::string_view domain);
// Parses "a.com|~b.com" (or with commas); false when an entry is not a domain.
bool parseDomains(std::string_view list, char separator, std::vector<DomainEntry> &domains);
bool includesDomain(const std::vector<DomainEntry> &domains);

} // namespace Filters::Text
