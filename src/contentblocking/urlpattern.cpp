#include "urlpattern.h"

namespace Filters {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Where seg (without "*") ends when it matches at pos exactly; npos when it does not. A "^"
// may stand for the end of the text, and then so must every one after it.
std::size_t segmentAt(std::string_view text, std::size_t pos, std::string_view seg)
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
        const char c = seg[k];
        if (c == '^' ? !isSeparator(static_cast<unsigned char>(text[i])) : c != text[i])
            return npos;
    }
    return i;
}

// The end of the leftmost match of seg at or after from. The leftmost place of each piece
// between stars is always as good as any later one, so no piece is ever tried twice.
bool findSegment(std::string_view text, std::size_t from, std::string_view seg, std::size_t &end)
{
    if (seg.empty()) {
        end = from;
        return true;
    }
    const char first = seg.front();
    for (std::size_t i = from; i <= text.size(); ++i) {
        if (first != '^') {
            i = text.find(first, i);
            if (i == npos)
                return false;
        }
        const std::size_t e = segmentAt(text, i, seg);
        if (e != npos) {
            end = e;
            return true;
        }
    }
    return false;
}

bool matchFrom(std::string_view text, std::size_t start, std::string_view pattern,
               bool anchoredStart, bool anchoredEnd)
{
    std::size_t pos = start;
    std::size_t p = 0;
    for (bool first = true;; first = false) {
        const std::size_t star = pattern.find('*', p);
        const bool last = star == npos;
        const std::string_view seg = pattern.substr(p, last ? npos : star - p);
        if (first && anchoredStart) {
            const std::size_t e = segmentAt(text, pos, seg);
            if (e == npos || (last && anchoredEnd && e != text.size()))
                return false;
            pos = e;
        } else if (last && anchoredEnd) {
            if (seg.empty())
                return true;
            // Only a "^" standing for the end makes a match shorter than the piece.
            if (seg.back() != '^') {
                return text.size() >= pos + seg.size()
                    && segmentAt(text, text.size() - seg.size(), seg) == text.size();
            }
            for (std::size_t i = pos; i <= text.size(); ++i) {
                if (segmentAt(text, i, seg) == text.size())
                    return true;
            }
            return false;
        } else {
            std::size_t e = 0;
            if (!findSegment(text, pos, seg, e))
                return false;
            pos = e;
        }
        if (last)
            return true;
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
                    std::uint8_t anchors)
{
    const bool anchoredEnd = anchors & EndAnchor;
    if (anchors & HostAnchor) {
        if (host.begin == host.end)
            return false;
        for (std::size_t i = host.begin; i < host.end; ++i) {
            if ((i == host.begin || text[i - 1] == '.')
                && matchFrom(text, i, pattern, true, anchoredEnd))
                return true;
        }
        return false;
    }
    return matchFrom(text, 0, pattern, anchors & StartAnchor, anchoredEnd);
}

void addressTokens(std::string_view lowered, std::vector<std::uint32_t> &tokens)
{
    tokens.clear();
    std::size_t i = 0;
    while (i < lowered.size()) {
        while (i < lowered.size() && !isTokenChar(static_cast<unsigned char>(lowered[i])))
            ++i;
        const std::size_t begin = i;
        while (i < lowered.size() && isTokenChar(static_cast<unsigned char>(lowered[i])))
            ++i;
        if (i == begin)
            break;
        const std::uint32_t hash = tokenHash(lowered.substr(begin, i - begin));
        bool seen = false;
        for (const std::uint32_t t : tokens)
            seen = seen || t == hash;
        if (!seen)
            tokens.push_back(hash);
    }
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
