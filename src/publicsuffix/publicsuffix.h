#pragma once

#include <string_view>

// Sites by the public suffix list (libpsl, with the system's copy of the list), read once for
// the whole program.
namespace PublicSuffix {

// Whether there is a list to ask: without one, nothing is known to be a suffix.
bool available();

// The registrable domain of a lower-case host ("b.co.uk" for "a.b.co.uk"); the host itself
// when it has none (an address, a public suffix, a single label).
std::string_view registrableDomain(std::string_view host);
// The public suffix that ends the host ("co.uk" for "a.b.co.uk"); "" when none is known, and
// for an IP address.
std::string_view publicSuffix(std::string_view host);
// Whether a name (one label, UTF-8 or its ASCII form) is a suffix of the list by a rule of its
// own, not only by a wildcard.
bool isListed(std::string_view name);

} // namespace PublicSuffix
