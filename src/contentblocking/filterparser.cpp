#include "contentblocking/filterparser.h"

#include "contentblocking/filtertext.h"
#include "contentblocking/requesttype.h"
#include "contentblocking/urlpattern.h"

#include <algorithm>
#include <array>
#include <re2/re2.h>

namespace Filters {

using namespace Text;

namespace {

bool isOptionNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
        || c == '-';
}

// "~?name(=value)?" separated by commas, values without commas.
bool isOptionList(std::string_view text)
{
    std::size_t i = 0;
    while (true) {
        if (i < text.size() && text[i] == '~')
            ++i;
        const std::size_t nameStart = i;
        while (i < text.size() && isOptionNameChar(text[i]))
            ++i;
        if (i == nameStart)
            return false;
        if (i < text.size() && text[i] == '=') {
            const std::size_t comma = text.find(',', i);
            i = comma == npos ? text.size() : comma;
        }
        if (i == text.size())
            return true;
        if (text[i] != ',')
            return false;
        ++i;
    }
}

// Where the options start: the first "$" that only options follow; npos when none does.
std::size_t optionsStart(std::string_view line)
{
    int tried = 0;
    for (std::size_t at = line.find('$'); at != npos && tried < 16;
         at = line.find('$', at + 1), ++tried) {
        if (isOptionList(line.substr(at + 1)))
            return at;
    }
    return npos;
}

// Applies an option that is a flag of the rule; false when this program does not apply it.
bool applyFlag(const std::string &name, bool negated, NetworkRule &rule, bool &popupOnly)
{
    const bool exception = rule.flags & Exception;
    const bool firstParty = name == "first-party" || name == "1p";
    if (name == "third-party" || name == "3p" || firstParty) {
        rule.flags |= (negated != firstParty) ? FirstParty : ThirdParty;
    } else if (name == "match-case" && !negated) {
        rule.flags |= MatchCase;
    } else if (name == "important" && !negated && !exception) {
        rule.flags |= Important;
    } else if (name == "badfilter" && !negated) {
        rule.flags |= BadFilter;
    } else if (name == "popup" && !negated) {
        popupOnly = true;
    } else if (exception && !negated
               && (name == "elemhide" || name == "ehide" || name == "generichide" || name == "ghide"
                   || name == "genericblock")) {
        rule.flags |= name == "genericblock"          ? PageGenericblock
            : (name == "elemhide" || name == "ehide") ? PageElemhide
                                                      : PageGenerichide;
    } else {
        return false;
    }
    return true;
}

// Applies the options to rule; false when one of them is not applied by this program or is
// malformed, in which case the whole rule is skipped.
LineKind parseOptions(std::string_view options, NetworkRule &rule)
{
    std::uint16_t positive = 0;
    std::uint16_t negative = 0;
    bool popupOnly = false;
    const bool exception = rule.flags & Exception;
    while (!options.empty()) {
        const std::size_t comma = options.find(',');
        std::string_view option = options.substr(0, comma);
        options = comma == npos ? std::string_view() : options.substr(comma + 1);
        const bool negated = option.starts_with('~');
        if (negated)
            option.remove_prefix(1);
        std::string_view value;
        const std::size_t equals = option.find('=');
        if (equals != npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        }
        const std::string name = lowered(option);
        if (name == "domain" && !negated) {
            if (value.empty() || !parseDomains(value, '|', rule.domains))
                return LineKind::Malformed;
            continue;
        }
        if (!value.empty() || equals != npos)
            return LineKind::Unsupported; // csp=, redirect=, removeparam=, rewrite=, ...
        if (const std::uint16_t type = typeNamed(name)) {
            (negated ? negative : positive) |= type;
            continue;
        }
        if (!applyFlag(name, negated, rule, popupOnly))
            return LineKind::Unsupported;
    }
    // A page-wide exception applies to pages, not to the requests they make.
    if (exception && (positive & Document)) {
        rule.flags |= PageDocument;
        positive &= ~Document;
        if (!positive && !(rule.flags & (PageElemhide | PageGenerichide | PageGenericblock))
            && !negative) {
            rule.types = 0;
            return LineKind::Network;
        }
    }
    const bool pageOnly
        = rule.flags & (PageDocument | PageElemhide | PageGenerichide | PageGenericblock);
    if (pageOnly && !positive && !negative) {
        rule.types = 0;
        return LineKind::Network;
    }
    rule.types = (positive ? positive : DefaultTypes) & ~negative;
    // Pop-up windows are not filtered here: a rule only for them does not apply at all.
    if (popupOnly && !positive)
        return LineKind::Unsupported;
    return rule.types ? LineKind::Network : LineKind::Malformed;
}

// "/expression/": the rule's pattern is a regular expression; false when it is not one.
bool setRegexPattern(std::string_view pattern, const char *lineStart, NetworkRule &rule)
{
    rule.flags |= Regex;
    rule.pattern = pattern.substr(1, pattern.size() - 2);
    rule.patternAt = std::uint32_t(pattern.data() + 1 - lineStart);
    rule.patternLength = std::uint32_t(rule.pattern.size());
    RE2::Options reOptions;
    reOptions.set_log_errors(false);
    reOptions.set_case_sensitive(rule.flags & MatchCase);
    reOptions.set_max_mem(1 << 20);
    return RE2(rule.pattern, reOptions).ok();
}

// A pattern of text, stars, "^" and anchors: the anchors go to rule.anchors, the rest, with
// repeated stars as one, to rule.pattern.
void setWildcardPattern(std::string_view pattern, const char *lineStart, NetworkRule &rule)
{
    if (pattern.starts_with("||")) {
        rule.anchors |= HostAnchor;
        pattern.remove_prefix(2);
    } else if (pattern.starts_with('|')) {
        rule.anchors |= StartAnchor;
        pattern.remove_prefix(1);
    }
    if (pattern.ends_with('|')) {
        rule.anchors |= EndAnchor;
        pattern.remove_suffix(1);
    }
    // Stars at the ends say nothing, and undo the anchor beside them.
    if (pattern.starts_with('*'))
        rule.anchors &= ~(HostAnchor | StartAnchor);
    if (pattern.ends_with('*'))
        rule.anchors &= ~EndAnchor;
    while (pattern.starts_with('*'))
        pattern.remove_prefix(1);
    while (pattern.ends_with('*'))
        pattern.remove_suffix(1);
    rule.patternAt = std::uint32_t(pattern.data() - lineStart);
    rule.patternLength = std::uint32_t(pattern.size());
    rule.pattern.reserve(pattern.size());
    for (const char c : pattern) {
        if (!(c == '*' && !rule.pattern.empty() && rule.pattern.back() == '*'))
            rule.pattern.push_back(c);
    }
    if (!(rule.flags & MatchCase))
        rule.pattern = lowered(rule.pattern);
}

LineKind parseNetwork(std::string_view line, RuleCollection &rules)
{
    NetworkRule rule;
    rule.text = line;
    const char *const start = line.data();
    if (line.starts_with("@@")) {
        rule.flags |= Exception;
        line.remove_prefix(2);
    }
    if (line.find("$$") != npos || line.find("$@$") != npos)
        return LineKind::Unsupported; // another blocker's HTML filters
    std::string_view pattern = line;
    const std::size_t options = optionsStart(line);
    if (options != npos) {
        pattern = line.substr(0, options);
        const LineKind kind = parseOptions(line.substr(options + 1), rule);
        if (kind != LineKind::Network)
            return kind;
    } else {
        rule.types = DefaultTypes;
    }
    if (!includesDomain(rule.domains) && pattern.find_first_not_of('*') == npos
        && rule.types == DefaultTypes && !(rule.flags & (ThirdParty | FirstParty)))
        return LineKind::Malformed; // it would match every request
    if (includesDomain(rule.domains))
        rule.flags |= IncludesDomains;
    if (!isAscii(pattern) || pattern.find(' ') != npos)
        return LineKind::Malformed; // no address the engine sees holds these
    if (pattern.size() > 2 && pattern.front() == '/' && pattern.back() == '/') {
        if (!setRegexPattern(pattern, start, rule))
            return LineKind::BadRegex;
    } else {
        setWildcardPattern(pattern, start, rule);
    }
    rules.network.push_back(std::move(rule));
    return LineKind::Network;
}

// Selectors that need another blocker's script to mean anything, or that this engine's CSS
// does not know.
bool isProcedural(std::string_view selector)
{
    static constexpr std::array markers = {
        ":-abp-",        ":has-text(",     ":has(",    ":contains(", ":xpath(",
        ":upward(",      ":remove(",       ":style(",  ":matches-",  ":min-text-length(",
        ":watch-attr(",  ":others(",       ":if(",     ":if-not(",   ":nth-ancestor(",
        ":remove-attr(", ":remove-class(", ":shadow(",
    };
    for (const char *marker : markers) {
        if (selector.find(marker) != npos)
            return true;
    }
    return false;
}

// The cosmetic separators, with whether this program applies them.
struct Separator
{
    std::string_view text;
    bool applied;
    bool exception;
};
constexpr Separator Separators[] = {
    { "##", true, false },    { "#@#", true, true },   { "#?#", false, false },
    { "#@?#", false, true },  { "#$#", false, false }, { "#@$#", false, true },
    { "#%#", false, false },  { "#@%#", false, true }, { "#$?#", false, false },
    { "#@$?#", false, true },
};

LineKind parseCosmetic(std::string_view line, std::size_t at, const Separator &separator,
                       RuleCollection &rules)
{
    const std::string_view selector = trimmed(line.substr(at + separator.text.size()));
    if (!separator.applied || selector.starts_with('+') || selector.starts_with('^'))
        return LineKind::Unsupported; // scriptlets, snippets, HTML filters, procedural rules
    if (selector.empty())
        return LineKind::Malformed;
    // Style injection ("selector { ... }") is another blocker's extension; and no selector
    // may close our rule or open a comment in the sheet.
    if (selector.find_first_of("{}") != npos || selector.find("/*") != npos)
        return LineKind::Unsupported;
    if (isProcedural(selector))
        return LineKind::Unsupported;
    CosmeticRule rule;
    rule.selector = selector;
    rule.exception = separator.exception;
    if (!parseDomains(line.substr(0, at), ',', rule.domains))
        return LineKind::Malformed;
    rules.cosmetic.push_back(std::move(rule));
    return LineKind::Cosmetic;
}

} // namespace

std::uint64_t domainHash(std::string_view domain)
{
    std::uint64_t hash = DomainHashSeed;
    for (auto c = domain.rbegin(); c != domain.rend(); ++c)
        hash = domainHashStep(hash, *c);
    return hash & ~std::uint64_t(1);
}

ListFigures &ListFigures::operator+=(const ListFigures &other)
{
    lines += other.lines;
    networkRules += other.networkRules;
    cosmeticRules += other.cosmeticRules;
    comments += other.comments;
    unsupported += other.unsupported;
    malformed += other.malformed;
    badEncoding += other.badEncoding;
    tooLong += other.tooLong;
    badRegex += other.badRegex;
    cancelled += other.cancelled;
    return *this;
}

std::string ruleIdentity(std::string_view line)
{
    line = trimmed(line);
    const std::size_t at = optionsStart(line);
    if (at == npos)
        return std::string(line);
    std::vector<std::string> options;
    for (std::string_view rest = line.substr(at + 1); !rest.empty();) {
        const std::size_t comma = rest.find(',');
        const std::string_view option = rest.substr(0, comma);
        rest = comma == npos ? std::string_view() : rest.substr(comma + 1);
        const std::size_t equals = option.find('=');
        std::string named = lowered(option.substr(0, equals));
        if (named == "badfilter")
            continue;
        if (equals != npos)
            named.append(option.substr(equals));
        options.push_back(std::move(named));
    }
    std::sort(options.begin(), options.end());
    options.erase(std::unique(options.begin(), options.end()), options.end());
    std::string identity(line.substr(0, at));
    for (std::size_t i = 0; i < options.size(); ++i) {
        identity += i ? ',' : '$';
        identity += options[i];
    }
    return identity;
}

LineKind parseLine(std::string_view line, RuleCollection &rules)
{
    if (line.size() > MaxLineLength)
        return LineKind::TooLong;
    line = trimmed(line);
    if (line.empty() || line.front() == '!' || (line.front() == '[' && line.back() == ']'))
        return LineKind::Comment;
    if (!isUtf8(line))
        return LineKind::BadEncoding;
    for (std::size_t at = line.find('#'); at != npos; at = line.find('#', at + 1)) {
        for (const Separator &separator : Separators) {
            if (line.substr(at).starts_with(separator.text)
                && line.substr(0, at).find_first_of("/|$^@\"") == npos)
                return parseCosmetic(line, at, separator, rules);
        }
    }
    return parseNetwork(line, rules);
}

void parseList(std::string_view list, RuleCollection &rules)
{
    ListFigures &figures = rules.figures;
    while (!list.empty()) {
        const std::size_t end = list.find('\n');
        const std::string_view line = list.substr(0, end);
        list = end == npos ? std::string_view() : list.substr(end + 1);
        ++figures.lines;
        switch (parseLine(line, rules)) {
        case LineKind::Comment:
            ++figures.comments;
            break;
        case LineKind::Network:
            ++figures.networkRules;
            break;
        case LineKind::Cosmetic:
            ++figures.cosmeticRules;
            break;
        case LineKind::Unsupported:
            ++figures.unsupported;
            break;
        case LineKind::Malformed:
            ++figures.malformed;
            break;
        case LineKind::BadEncoding:
            ++figures.badEncoding;
            break;
        case LineKind::TooLong:
            ++figures.tooLong;
            break;
        case LineKind::BadRegex:
            ++figures.badRegex;
            break;
        }
    }
}

} // namespace Filters
