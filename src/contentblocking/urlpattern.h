#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The address patterns of network rules: literal text with "*" (any text) and "^" (a
// separator, or the end of the address), anchored at the start ("|"), at the end ("|") or at
// the start of a label of the host ("||").
namespace Filters {

enum PatternAnchor : std::uint8_t {
    StartAnchor = 1,
    EndAnchor = 2,
    HostAnchor = 4,
};

// Anything but a letter, a digit or one of "_-.%". Bytes outside ASCII are not separators.
inline bool isSeparator(unsigned char c)
{
    return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
             || c == '-' || c == '.' || c == '%' || c >= 0x80);
}

// The characters of the tokens that index rules and addresses.
inline bool isTokenChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '%';
}

std::uint32_t tokenHash(std::string_view token);

// Where the host of an address starts and ends; both 0 when there is none.
struct HostSpan
{
    std::size_t begin = 0;
    std::size_t end = 0;
};
HostSpan hostSpan(std::string_view url);

// How much of an address a rule is looked for in. Hosts and paths, where rules find what they
// block, lie well within it; past it, an address a page makes as long as the engine allows
// (2 MiB) would cost every rule a scan of it, on the thread that paints the window.
constexpr std::size_t SearchedLength = 32 * 1024;
// How much of a longer address's end is split into words, for rules anchored at the end.
constexpr std::size_t EndLength = 1024;

// Whether pattern matches text. The pattern holds no anchors; anchors says which it had.
// With foldCase, text is in lower case and the pattern's capitals stand for its letters.
// Pieces not tied to the start or the end are looked for only where they start within the
// first searchEnd bytes; the end anchor still holds at the text's real end.
bool matchesPattern(std::string_view text, HostSpan host, std::string_view pattern,
                    std::uint8_t anchors, bool foldCase, std::size_t searchEnd = SearchedLength);

// A set of tokens as bits: one of bitCount bits for each token, which tokens may share.
inline std::size_t tokenBit(std::uint32_t token, std::size_t bitCount)
{
    return std::size_t((std::uint64_t(token) * 2654435769u) & 0xffffffffu) * bitCount >> 32;
}

// The hashes of the tokens of a lower-case address (of its first SearchedLength bytes and its
// last EndLength), without repeats. When known holds the bits of a set of tokens, the tokens
// whose bit is clear are left out.
void addressTokens(std::string_view lowered, std::vector<std::uint32_t> &tokens,
                   std::span<const std::uint64_t> known = {});
// The tokens that any address the lower-case pattern matches must hold whole.
void patternTokens(std::string_view pattern, std::uint8_t anchors,
                   std::vector<std::string_view> &tokens);

} // namespace Filters
