#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The rules of filter lists as the parser leaves them, before they are compiled.
namespace Filters {

// One entry of a rule's domain list: a domain (its subdomains included), or "name.*" for the
// name under any public suffix; include is false for "~domain".
struct DomainEntry
{
    std::uint64_t hash = 0;
    bool include = true;
    bool entity = false; // "name.*"
};

// Names are hashed from their last byte to their first, so that the hashes of all the
// suffixes of a host come on the way to the hash of the whole, in one pass.
inline constexpr std::uint64_t DomainHashSeed = 14695981039346656037ull;
inline std::uint64_t domainHashStep(std::uint64_t hash, char c)
{
    return (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
}
// Even, whatever the name: the compiled form keeps a flag in the lowest bit.
std::uint64_t domainHash(std::string_view domain);

enum RuleFlag : std::uint16_t {
    Exception = 1 << 0, // "@@"
    Important = 1 << 1,
    MatchCase = 1 << 2,
    ThirdParty = 1 << 3,
    FirstParty = 1 << 4,
    Regex = 1 << 5, // "/.../": the pattern is a regular expression
    // What an exception grants to the pages it matches.
    PageDocument = 1 << 6, // nothing on the page is blocked or hidden
    PageElemhide = 1 << 7, // nothing on the page is hidden
    PageGenerichide = 1 << 8, // only the rules that name the page's site hide anything
    PageGenericblock = 1 << 9, // only the rules that name the page's site block anything
    IncludesDomains = 1 << 10, // the domain list names sites the rule is for
    // "$badfilter": the rule takes the rule it names out of the lists, and is not applied.
    BadFilter = 1 << 11,
};

struct NetworkRule
{
    std::string text; // the line, for showing why something was blocked
    std::string pattern; // lower case unless MatchCase; the expression of a Regex rule
    // Where the pattern lies in text, as written: the engine reads it there.
    std::uint32_t patternAt = 0, patternLength = 0;
    std::uint16_t types = 0;
    std::uint16_t flags = 0;
    std::uint8_t anchors = 0;
    std::vector<DomainEntry> domains;
};

struct CosmeticRule
{
    std::string selector;
    std::vector<DomainEntry> domains;
    bool exception = false; // "#@#"
};

// What became of the lines of the lists.
struct ListFigures
{
    std::int64_t lines = 0;
    std::int64_t networkRules = 0;
    std::int64_t cosmeticRules = 0;
    std::int64_t comments = 0; // comments, headers and empty lines
    std::int64_t unsupported = 0; // syntax or options this program does not apply
    std::int64_t malformed = 0;
    std::int64_t badEncoding = 0; // not UTF-8
    std::int64_t tooLong = 0;
    std::int64_t badRegex = 0; // regular expressions that RE2 refuses
    std::int64_t cancelled = 0; // rules that a "$badfilter" rule takes out

    std::int64_t skipped() const
    {
        return unsupported + malformed + badEncoding + tooLong + badRegex;
    }
    ListFigures &operator+=(const ListFigures &other);
};

struct RuleCollection
{
    std::vector<NetworkRule> network;
    std::vector<CosmeticRule> cosmetic;
    ListFigures figures;
};

} // namespace Filters
