#include "contentblocking/urlpattern.h"

#include "contentblocking/filtertext.h"

#include <algorithm>
#include <cstring>

namespace Filters {

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Where seg (without "*") ends when it matches at pos exactly; npos when it does not. A "^"
// may stand for the end of the text, and then so must every one after it. With fold, the
// pattern's capitals stand for the lower-case letters of the text.
std::size_t segmentAt(std::string_view text, std::size_t pos, std::string_view seg, bool fold)
{
    std::size_t i = pos;
    for (std::size_t k = 0; k < seg.size(); ++k, ++i) {
        if (i >= text.size()) {
            for (; k < seg.size(); ++k) {
                if (seg[k] != '^')
                    return npos;
            }
            return text.size();
        }
        const char c = fold ? lower(seg[k]) : seg[k];
        if (c == '^' ? !isSeparator(static_cast<unsigned char>(text[i])) : c != text[i])
            return npos;
    }
    return i;
}

// The end of the leftmost match of seg at or after from. The leftmost place of each piece
// between stars is always as good as any later one, so no piece is ever tried twice.
bool findSegment(std::string_view text, std::size_t from, std::string_view seg, bool fold,
                 std::size_t searchEnd, std::size_t &end)
{
    // Starts past searchEnd are not tried; segmentAt still reads the piece whole.
    const std::size_t lastStart = std::min(text.size(), searchEnd);
    if (from > lastStart)
        return false;
    if (seg.empty()) {
        end = from;
        return true;
    }
    // In a long address, a literal start of two bytes or more is looked for with memmem,
    // which skips ahead instead of stopping at every byte like its first; in an ordinary one
    // setting memmem up costs more than it saves.
    const std::size_t literal = std::min(seg.find('^'), seg.size());
    if (literal >= 2 && literal <= 64 && lastStart - from > 1024) {
        char needle[64];
        for (std::size_t k = 0; k < literal; ++k)
            needle[k] = fold ? lower(seg[k]) : seg[k];
        const std::size_t hayEnd = std::min(text.size(), lastStart + literal);
        for (std::size_t i = from; i + literal <= hayEnd; ++i) {
            const void *found = memmem(text.data() + i, hayEnd - i, needle, literal);
            if (!found)
                return false;
            i = std::size_t(static_cast<const char *>(found) - text.data());
            const std::size_t e = segmentAt(text, i, seg, fold);
            if (e != npos) {
                end = e;
                return true;
            }
        }
        return false;
    }
    const char first = fold ? lower(seg.front()) : seg.front();
    const std::string_view starts = text.substr(0, lastStart);
    for (std::size_t i = from; i <= lastStart; ++i) {
        if (first != '^') {
            i = i < starts.size() ? starts.find(first, i) : npos;
            if (i == npos)
                return false;
        }
        const std::size_t e = segmentAt(text, i, seg, fold);
        if (e != npos) {
            end = e;
            return true;
        }
    }
    return false;
}

enum class Outcome {
    Match,
    NoMatch,
    // The anchored first piece matched and the rest did not: it cannot match from a later
    // start either, since the rest would have less text to find itself in.
    NoMatchAfterFirst,
};

Outcome matchFrom(std::string_view text, std::size_t start, std::string_view pattern,
                  bool anchoredStart, bool anchoredEnd, bool fold, std::size_t searchEnd)
{
    std::size_t pos = start;
    std::size_t p = 0;
    for (bool first = true;; first = false) {
        const std::size_t star = pattern.find('*', p);
        const bool last = star == npos;
        const std::string_view seg = pattern.substr(p, last ? npos : star - p);
        const Outcome failed = first ? Outcome::NoMatch : Outcome::NoMatchAfterFirst;
        if (first && anchoredStart) {
            const std::size_t e = segmentAt(text, pos, seg, fold);
            if (e == npos || (last && anchoredEnd && e != text.size()))
                return Outcome::NoMatch;
            pos = e;
        } else if (last && anchoredEnd) {
            if (seg.empty())
                return Outcome::Match;
            // Only a "^" standing for the end makes a match shorter than the piece, so only
            // the piece's length from the end need be tried.
            if (seg.back() != '^') {
                return text.size() >= pos + seg.size()
                        && segmentAt(text, text.size() - seg.size(), seg, fold) == text.size()
                    ? Outcome::Match
                    : failed;
            }
            const std::size_t from
                = std::max(pos, text.size() > seg.size() ? text.size() - seg.size() : 0);
            for (std::size_t i = from; i <= text.size(); ++i) {
                if (segmentAt(text, i, seg, fold) == text.size())
                    return Outcome::Match;
            }
            return failed;
        } else {
            std::size_t e = 0;
            if (!findSegment(text, pos, seg, fold, searchEnd, e))
                return failed;
            pos = e;
        }
        if (last)
            return Outcome::Match;
        p = star + 1;
    }
}

} // namespace

std::uint32_t tokenHash(std::string_view token)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : token)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash ? hash : 1;
}

HostSpan hostSpan(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == npos)
        return {};
    std::size_t begin = scheme + 3;
    std::size_t end = url.find_first_of("/?#", begin);
    if (end == npos)
        end = url.size();
    const std::size_t at = url.substr(begin, end - begin).rfind('@');
    if (at != npos)
        begin += at + 1;
    const std::string_view authority = url.substr(begin, end - begin);
    const std::size_t bracket = authority.find(']');
    const std::size_t colon = authority.find(':', bracket == npos ? 0 : bracket);
    if (colon != npos)
        end = begin + colon;
    return { begin, end };
}

bool matchesPattern(std::string_view text, HostSpan host, std::string_view pattern,
                    std::uint8_t anchors, bool foldCase, std::size_t searchEnd)
{
    const bool anchoredEnd = anchors & EndAnchor;
    if (anchors & HostAnchor) {
        if (host.begin == host.end)
            return false;
        for (std::size_t i = host.begin; i < std::min(host.end, searchEnd); ++i) {
            if (i != host.begin && text[i - 1] != '.')
                continue;
            const Outcome outcome
                = matchFrom(text, i, pattern, true, anchoredEnd, foldCase, searchEnd);
            if (outcome != Outcome::NoMatch)
                return outcome == Outcome::Match;
        }
        return false;
    }
    return matchFrom(text, 0, pattern, anchors & StartAnchor, anchoredEnd, foldCase, searchEnd)
        == Outcome::Match;
}

namespace {

void appendTokens(std::string_view lowered, std::vector<std::uint32_t> &tokens,
                  std::span<const std::uint64_t> known)
{
    const std::size_t bitCount = known.size() * 64;
    std::size_t i = 0;
    while (i < lowered.size()) {
        while (i < lowered.size() && !isTokenChar(static_cast<unsigned char>(lowered[i])))
            ++i;
        const std::size_t begin = i;
        while (i < lowered.size() && isTokenChar(static_cast<unsigned char>(lowered[i])))
            ++i;
        if (i == begin)
            break;
        const std::uint32_t token = tokenHash(lowered.substr(begin, i - begin));
        if (bitCount) {
            const std::size_t bit = tokenBit(token, bitCount);
            if (!(known[bit / 64] >> (bit % 64) & 1))
                continue;
        }
        tokens.push_back(token);
    }
}

} // namespace

void addressTokens(std::string_view lowered, std::vector<std::uint32_t> &tokens,
                   std::span<const std::uint64_t> known)
{
    tokens.clear();
    // The words where rules are looked for, and those at the end, where a rule anchored there
    // is checked. A word cut at either edge only finds a rule that then does not match.
    appendTokens(lowered.substr(0, SearchedLength), tokens, known);
    if (lowered.size() > SearchedLength) {
        const std::size_t tail = std::max(SearchedLength, lowered.size() - EndLength);
        appendTokens(lowered.substr(tail), tokens, known);
    }
    // Repeats are dropped in place, keeping each token where it first came. An ordinary
    // address has a handful of tokens, compared directly; a long one is deduplicated through
    // a set, so that an address made of many words stays linear.
    std::size_t kept = 0;
    if (tokens.size() <= 32) {
        for (const std::uint32_t token : tokens) {
            if (std::find(tokens.begin(), tokens.begin() + std::ptrdiff_t(kept), token)
                == tokens.begin() + std::ptrdiff_t(kept))
                tokens[kept++] = token;
        }
    } else {
        int bits = 6;
        while ((std::size_t(1) << bits) < tokens.size() * 2)
            ++bits;
        const std::size_t mask = (std::size_t(1) << bits) - 1;
        std::vector<std::uint32_t> seen(mask + 1, 0); // a hash is never 0
        for (const std::uint32_t token : tokens) {
            // The high bits of a multiple, so that words alike in their low bits still spread.
            std::size_t slot = (token * 2654435769u) >> (32 - bits);
            while (seen[slot] && seen[slot] != token)
                slot = (slot + 1) & mask;
            if (!seen[slot]) {
                seen[slot] = token;
                tokens[kept++] = token;
            }
        }
    }
    tokens.resize(kept);
}

void patternTokens(std::string_view pattern, std::uint8_t anchors,
                   std::vector<std::string_view> &tokens)
{
    tokens.clear();
    std::size_t i = 0;
    while (i < pattern.size()) {
        while (i < pattern.size() && !isTokenChar(static_cast<unsigned char>(pattern[i])))
            ++i;
        const std::size_t begin = i;
        while (i < pattern.size() && isTokenChar(static_cast<unsigned char>(pattern[i])))
            ++i;
        if (i == begin)
            break;
        // A run touching a star, or an open end of the pattern, may be part of a longer token
        // of the address.
        const bool wholeStart
            = begin > 0 ? pattern[begin - 1] != '*' : (anchors & (StartAnchor | HostAnchor)) != 0;
        const bool wholeEnd = i < pattern.size() ? pattern[i] != '*' : (anchors & EndAnchor) != 0;
        if (wholeStart && wholeEnd)
            tokens.push_back(pattern.substr(begin, i - begin));
    }
}

} // namespace Filters
