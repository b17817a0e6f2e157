// Building the engine from parsed rules: the rules' arrays, the token indexes and the
// cosmetic rules by site.

#include "contentblocking/filterengine.h"
#include "contentblocking/filterparser.h"

#include <algorithm>
#include <re2/re2.h>
#include <unordered_map>
#include <unordered_set>

namespace Filters {

namespace {

constexpr std::uint16_t PageFlagsMask
    = PageDocument | PageElemhide | PageGenerichide | PageGenericblock;

std::uint32_t appendText(std::string &strings, std::string_view text)
{
    const auto offset = std::uint32_t(strings.size());
    strings.append(text);
    return offset;
}

using Built = FilterEngine::Built;
using CompiledCosmetic = FilterEngine::CompiledCosmetic;
using CompiledDomain = FilterEngine::CompiledDomain;
using CompiledRule = FilterEngine::CompiledRule;
using DomainKey = FilterEngine::DomainKey;

// The rule's domains, sorted as lookups expect; where they start in the domains' array.
std::uint32_t appendDomains(Built &built, const std::vector<DomainEntry> &domains)
{
    const auto start = std::uint32_t(built.domains.size());
    for (const DomainEntry &entry : domains) {
        built.domains.push_back({ entry.hash | std::uint64_t(entry.include) });
        built.entities = built.entities || entry.entity;
    }
    std::sort(built.domains.begin() + start, built.domains.end(),
              [](const CompiledDomain &a, const CompiledDomain &b) { return a.key < b.key; });
    return start;
}

// The rule's token that the fewest rules share, longest first among equals; 0 when it has none.
std::uint32_t rarestToken(const NetworkRule &rule,
                          std::unordered_map<std::uint32_t, std::uint32_t> &frequency,
                          std::vector<std::string_view> &tokens)
{
    if (rule.flags & Regex)
        return 0;
    // Match-case rules are indexed by the lower-case form the address is split in.
    std::string lowered = rule.pattern;
    for (char &c : lowered)
        c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    patternTokens(lowered, rule.anchors, tokens);
    std::uint32_t best = 0;
    std::size_t bestLength = 0;
    std::uint32_t bestCount = UINT32_MAX;
    for (const std::string_view token : tokens) {
        const std::uint32_t hash = tokenHash(token);
        const std::uint32_t count = frequency[hash];
        if (count < bestCount || (count == bestCount && token.size() > bestLength)) {
            best = hash;
            bestCount = count;
            bestLength = token.size();
        }
    }
    return best;
}

// The placed rules in buckets by token, each with its token's mark.
void layOutBuckets(FilterEngine::Index<FilterEngine::Owned> &index,
                   std::vector<std::pair<std::uint32_t, std::uint32_t>> &placed,
                   std::vector<std::uint32_t> &known)
{
    std::sort(placed.begin(), placed.end());
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < placed.size(); ++i)
        distinct += i == 0 || placed[i].first != placed[i - 1].first;
    if (placed.empty())
        return;
    // About two tokens a bucket: the buckets cost four bytes each, a rule's entry five.
    const std::size_t bucketCount = distinct / 2 + 1;
    std::stable_sort(placed.begin(), placed.end(), [bucketCount](const auto &a, const auto &b) {
        return FilterEngine::tokenBucket(a.first, bucketCount)
            < FilterEngine::tokenBucket(b.first, bucketCount);
    });
    index.buckets.assign(bucketCount + 1, 0);
    index.rules.reserve(placed.size());
    index.marks.reserve(placed.size());
    for (const auto &[token, rule] : placed) {
        ++index.buckets[FilterEngine::tokenBucket(token, bucketCount) + 1];
        index.rules.push_back(rule);
        index.marks.push_back(FilterEngine::tokenMark(token));
        known.push_back(token);
    }
    for (std::size_t b = 1; b <= bucketCount; ++b)
        index.buckets[b] += index.buckets[b - 1];
}

// members are compiled rules; sourceOf gives the parsed rule each was compiled from.
void buildIndex(FilterEngine::Index<FilterEngine::Owned> &index,
                const std::vector<NetworkRule> &rules, const std::vector<std::uint32_t> &sourceOf,
                const std::vector<std::uint32_t> &members, std::vector<std::uint32_t> &known)
{
    // Each rule goes under its rarest token, so that no bucket grows long.
    std::vector<std::string_view> tokens;
    std::unordered_map<std::uint32_t, std::uint32_t> frequency;
    for (const std::uint32_t id : members) {
        const NetworkRule &rule = rules[sourceOf[id]];
        if (rule.flags & Regex)
            continue;
        patternTokens(rule.pattern, rule.anchors, tokens);
        for (const std::string_view token : tokens)
            ++frequency[tokenHash(token)];
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> placed; // token, rule
    for (const std::uint32_t id : members) {
        const std::uint32_t best = rarestToken(rules[sourceOf[id]], frequency, tokens);
        if (best)
            placed.emplace_back(best, id);
        else
            index.untokenized.push_back(id);
    }
    layOutBuckets(index, placed, known);
}

// The bits of the tokens that any rule is indexed under, which an address's words are sifted
// through before any bucket is looked at.
void setKnownTokens(Built &built, const std::vector<std::uint32_t> &known)
{
    // Eight bits a token: one word in twenty or so of an address gets past them by chance.
    std::size_t words = 1;
    while (words * 64 < known.size() * 8 && words < (std::size_t(1) << 17))
        words *= 2;
    built.knownTokens.assign(words, 0);
    for (const std::uint32_t token : known) {
        const std::size_t bit = tokenBit(token, words * 64);
        built.knownTokens[bit / 64] |= std::uint64_t(1) << (bit % 64);
    }
}

void buildNetworkRules(Built &built, const std::vector<NetworkRule> &rules)
{
    std::vector<std::uint32_t> block, important, allow, page;
    built.rules.reserve(rules.size());
    // A "$badfilter" rule of any list takes out the rule it names, in every list.
    std::unordered_set<std::string> cancelled;
    for (const NetworkRule &rule : rules) {
        if (rule.flags & BadFilter)
            cancelled.insert(ruleIdentity(rule.text));
    }
    // The same line in two lists is one rule.
    std::unordered_set<std::string_view> texts;
    texts.reserve(rules.size());
    std::vector<std::uint32_t> sourceIds;
    for (std::uint32_t i = 0; i < rules.size(); ++i) {
        const NetworkRule &rule = rules[i];
        if ((rule.flags & BadFilter) || !texts.insert(rule.text).second)
            continue;
        if (!cancelled.empty() && cancelled.contains(ruleIdentity(rule.text))) {
            ++built.figures.cancelled;
            continue;
        }
        sourceIds.push_back(i);
        CompiledRule compiled;
        compiled.text = appendText(built.texts, rule.text);
        compiled.pattern = std::uint16_t(rule.patternAt);
        compiled.patternLength = std::uint16_t(rule.patternLength);
        compiled.domains = appendDomains(built, rule.domains);
        compiled.types = rule.types;
        compiled.flags = std::uint16_t(rule.flags | (rule.anchors << FilterEngine::AnchorShift));
        const auto id = std::uint32_t(built.rules.size());
        built.rules.push_back(compiled);
        if (rule.flags & Exception) {
            if (rule.types)
                allow.push_back(id);
            if (rule.flags & PageFlagsMask)
                page.push_back(id);
        } else {
            ((rule.flags & Important) ? important : block).push_back(id);
        }
    }
    std::vector<std::uint32_t> known;
    buildIndex(built.block, rules, sourceIds, block, known);
    buildIndex(built.important, rules, sourceIds, important, known);
    buildIndex(built.allow, rules, sourceIds, allow, known);
    buildIndex(built.page, rules, sourceIds, page, known);
    built.ruleDomainsEnd = built.domains.size();
    setKnownTokens(built, known);
}

void buildCosmeticRules(Built &built, const std::vector<CosmeticRule> &rules)
{
    // An exception without sites takes its selector out of every rule.
    std::unordered_set<std::string_view> everywhere;
    for (const CosmeticRule &rule : rules) {
        if (rule.exception && rule.domains.empty())
            everywhere.insert(rule.selector);
    }
    for (const CosmeticRule &rule : rules) {
        if (rule.exception ? rule.domains.empty() : everywhere.contains(rule.selector))
            continue;
        CompiledCosmetic compiled;
        compiled.selector = appendText(built.strings, rule.selector);
        compiled.domains = appendDomains(built, rule.domains);
        const bool named = std::any_of(rule.domains.begin(), rule.domains.end(),
                                       [](const DomainEntry &entry) { return entry.include; });
        const auto id = std::uint32_t(built.cosmetic.size());
        built.cosmetic.push_back(compiled);
        if (!named && !rule.exception) {
            built.genericHide.push_back(id);
            continue;
        }
        std::vector<DomainKey> &keys = rule.exception ? built.hideExceptions : built.specificHide;
        for (const DomainEntry &entry : rule.domains) {
            if (entry.include)
                keys.push_back({ std::uint32_t(entry.hash >> 32), id });
        }
    }
    const auto byHash = [](const DomainKey &a, const DomainKey &b) {
        return a.hash < b.hash || (a.hash == b.hash && a.rule < b.rule);
    };
    std::sort(built.specificHide.begin(), built.specificHide.end(), byHash);
    std::sort(built.hideExceptions.begin(), built.hideExceptions.end(), byHash);
}

} // namespace

FilterEngine::FilterEngine(const RuleCollection &rules)
{
    Built built;
    built.figures = rules.figures;
    buildNetworkRules(built, rules.network);
    buildCosmeticRules(built, rules.cosmetic);
    adopt(built);
    compileRegexes();
}

FilterEngine::FilterEngine() = default;
FilterEngine::~FilterEngine() = default;

void FilterEngine::compileRegexes()
{
    m_regexes.clear();
    for (std::size_t i = 0; i < m_form.rules.size(); ++i) {
        const CompiledRule &rule = m_form.rules[i];
        if (!(rule.flags & Regex))
            continue;
        RE2::Options options;
        options.set_log_errors(false);
        options.set_case_sensitive(rule.flags & MatchCase);
        options.set_max_mem(1 << 20);
        const std::string_view pattern = patternOf(rule);
        auto regex
            = std::make_unique<RE2>(re2::StringPiece(pattern.data(), pattern.size()), options);
        if (regex->ok())
            m_regexes.emplace_back(std::uint32_t(i), std::move(regex));
    }
}

} // namespace Filters
