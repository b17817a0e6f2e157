#include "filterengine.h"

#include "publicsuffix.h"

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

// members are compiled rules; sourceOf gives the parsed rule each was compiled from.
void buildIndex(FilterEngine::TokenIndex &index, const std::vector<NetworkRule> &rules,
                const std::vector<std::uint32_t> &sourceOf,
                const std::vector<std::uint32_t> &members)
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
        const NetworkRule &rule = rules[sourceOf[id]];
        std::uint32_t best = 0;
        std::size_t bestLength = 0;
        std::uint32_t bestCount = UINT32_MAX;
        if (!(rule.flags & Regex)) {
            // Match-case rules are indexed by the lower-case form the address is split in.
            std::string lowered = rule.pattern;
            for (char &c : lowered)
                c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
            patternTokens(lowered, rule.anchors, tokens);
            for (const std::string_view token : tokens) {
                const std::uint32_t hash = tokenHash(token);
                const std::uint32_t count = frequency[hash];
                if (count < bestCount || (count == bestCount && token.size() > bestLength)) {
                    best = hash;
                    bestCount = count;
                    bestLength = token.size();
                }
            }
        }
        if (best)
            placed.emplace_back(best, id);
        else
            index.untokenized.push_back(id);
    }
    std::sort(placed.begin(), placed.end());
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < placed.size(); ++i)
        distinct += i == 0 || placed[i].first != placed[i - 1].first;
    std::size_t size = 1;
    while (size < distinct * 2)
        size *= 2;
    index.table.assign(placed.empty() ? 0 : size, {});
    index.rules.reserve(placed.size());
    for (std::size_t i = 0; i < placed.size();) {
        std::size_t j = i;
        while (j < placed.size() && placed[j].first == placed[i].first)
            index.rules.push_back(placed[j++].second);
        std::size_t slot = placed[i].first & (size - 1);
        while (index.table[slot].token)
            slot = (slot + 1) & (size - 1);
        index.table[slot] = { placed[i].first, std::uint32_t(index.rules.size() - (j - i)),
                              std::uint32_t(j - i) };
        i = j;
    }
}

const FilterEngine::Slot *findSlot(const FilterEngine::TokenIndex &index, std::uint32_t token)
{
    if (index.table.empty())
        return nullptr;
    const std::size_t mask = index.table.size() - 1;
    for (std::size_t slot = token & mask;; slot = (slot + 1) & mask) {
        const FilterEngine::Slot &found = index.table[slot];
        if (found.token == token)
            return &found;
        if (!found.token)
            return nullptr;
    }
}

std::string_view hostOf(std::string_view url, HostSpan span)
{
    return url.substr(span.begin, span.end - span.begin);
}

} // namespace

// What one decision needs to know about the request, worked out once and only when asked.
struct FilterEngine::Context
{
    std::string_view url;
    std::string_view lowered;
    HostSpan span;
    std::string_view host;
    std::string_view firstPartyHost;
    std::uint16_t type = Other;
    std::vector<std::uint32_t> *tokens = nullptr;
    std::vector<std::uint64_t> *site = nullptr;
    mutable bool siteKnown = false;
    mutable int thirdParty = -1;
    const FilterEngine *engine = nullptr;

    const std::vector<std::uint64_t> &siteKeys() const
    {
        if (!siteKnown) {
            engine->siteKeys(firstPartyHost, *site);
            siteKnown = true;
        }
        return *site;
    }
    bool isThirdParty() const
    {
        if (thirdParty < 0) {
            thirdParty = !firstPartyHost.empty()
                && registrableDomain(host) != registrableDomain(firstPartyHost);
        }
        return thirdParty;
    }
};

FilterEngine::FilterEngine(const RuleCollection &rules)
    : m_figures(rules.figures)
{
    std::vector<std::uint32_t> block, important, allow, page;
    m_rules.reserve(rules.network.size());
    // The same line in two lists is one rule.
    std::unordered_set<std::string_view> texts;
    texts.reserve(rules.network.size());
    std::vector<std::uint32_t> sourceIds;
    for (std::uint32_t i = 0; i < rules.network.size(); ++i) {
        const NetworkRule &rule = rules.network[i];
        if (!texts.insert(rule.text).second)
            continue;
        sourceIds.push_back(i);
        CompiledRule compiled;
        compiled.pattern = appendText(m_strings, rule.pattern);
        compiled.patternLength = std::uint32_t(rule.pattern.size());
        compiled.text = appendText(m_strings, rule.text);
        compiled.textLength = std::uint32_t(rule.text.size());
        compiled.domains = std::uint32_t(m_domains.size());
        compiled.domainCount = std::uint32_t(rule.domains.size());
        for (const DomainEntry &entry : rule.domains) {
            m_domains.push_back({ entry.hash, entry.include, entry.entity });
            m_entities = m_entities || entry.entity;
        }
        std::sort(m_domains.begin() + compiled.domains, m_domains.end(),
                  [](const CompiledDomain &a, const CompiledDomain &b) { return a.hash < b.hash; });
        compiled.types = rule.types;
        compiled.flags = rule.flags;
        compiled.anchors = rule.anchors;
        const auto id = std::uint32_t(m_rules.size());
        m_rules.push_back(compiled);
        if (rule.flags & Exception) {
            if (rule.types)
                allow.push_back(id);
            if (rule.flags & PageFlagsMask)
                page.push_back(id);
        } else {
            ((rule.flags & Important) ? important : block).push_back(id);
        }
    }
    buildIndex(m_block, rules.network, sourceIds, block);
    buildIndex(m_important, rules.network, sourceIds, important);
    buildIndex(m_allow, rules.network, sourceIds, allow);
    buildIndex(m_page, rules.network, sourceIds, page);

    // An exception without sites takes its selector out of every rule.
    std::unordered_set<std::string_view> everywhere;
    for (const CosmeticRule &rule : rules.cosmetic) {
        if (rule.exception && rule.domains.empty())
            everywhere.insert(rule.selector);
    }
    for (const CosmeticRule &rule : rules.cosmetic) {
        if (rule.exception ? rule.domains.empty() : everywhere.contains(rule.selector))
            continue;
        CompiledCosmetic compiled;
        compiled.selector = appendText(m_strings, rule.selector);
        compiled.selectorLength = std::uint32_t(rule.selector.size());
        compiled.domains = std::uint32_t(m_domains.size());
        compiled.domainCount = std::uint32_t(rule.domains.size());
        bool named = false;
        for (const DomainEntry &entry : rule.domains) {
            m_domains.push_back({ entry.hash, entry.include, entry.entity });
            m_entities = m_entities || entry.entity;
            named = named || entry.include;
        }
        std::sort(m_domains.begin() + compiled.domains, m_domains.end(),
                  [](const CompiledDomain &a, const CompiledDomain &b) { return a.hash < b.hash; });
        const auto id = std::uint32_t(m_cosmetic.size());
        m_cosmetic.push_back(compiled);
        if (!named && !rule.exception) {
            m_genericHide.push_back(id);
            continue;
        }
        std::vector<DomainKey> &keys = rule.exception ? m_hideExceptions : m_specificHide;
        for (const DomainEntry &entry : rule.domains) {
            if (entry.include)
                keys.push_back({ entry.hash, id, 0 });
        }
    }
    const auto byHash = [](const DomainKey &a, const DomainKey &b) {
        return a.hash < b.hash || (a.hash == b.hash && a.rule < b.rule);
    };
    std::sort(m_specificHide.begin(), m_specificHide.end(), byHash);
    std::sort(m_hideExceptions.begin(), m_hideExceptions.end(), byHash);
    m_strings.shrink_to_fit();
    m_domains.shrink_to_fit();
    compileRegexes();
}

FilterEngine::FilterEngine() = default;
FilterEngine::~FilterEngine() = default;

void FilterEngine::compileRegexes()
{
    m_regexes.clear();
    m_regexes.resize(m_rules.size());
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const CompiledRule &rule = m_rules[i];
        if (!(rule.flags & Regex))
            continue;
        RE2::Options options;
        options.set_log_errors(false);
        options.set_case_sensitive(rule.flags & MatchCase);
        options.set_max_mem(1 << 20);
        const std::string_view pattern = text(rule.pattern, rule.patternLength);
        auto regex
            = std::make_unique<RE2>(re2::StringPiece(pattern.data(), pattern.size()), options);
        if (regex->ok())
            m_regexes[i] = std::move(regex);
    }
}

void FilterEngine::siteKeys(std::string_view host, std::vector<std::uint64_t> &keys) const
{
    keys.clear();
    if (host.empty())
        return;
    const std::size_t suffix = m_entities ? publicSuffix(host).size() : 0;
    std::string entity;
    for (std::size_t at = 0;;) {
        const std::string_view rest = host.substr(at);
        keys.push_back(domainHash(rest));
        if (suffix && rest.size() > suffix + 1) {
            entity.assign(rest.substr(0, rest.size() - suffix));
            entity.push_back('*');
            keys.push_back(domainHash(entity));
        }
        const std::size_t dot = host.find('.', at);
        if (dot == std::string_view::npos)
            break;
        at = dot + 1;
    }
}

bool FilterEngine::appliesOn(std::uint32_t domains, std::uint32_t count,
                             const std::vector<std::uint64_t> &site) const
{
    const auto begin = m_domains.begin() + domains;
    const auto end = begin + count;
    bool includes = false;
    for (auto it = begin; it != end; ++it)
        includes = includes || it->include;
    for (const std::uint64_t key : site) {
        const auto found = std::lower_bound(
            begin, end, key, [](const CompiledDomain &d, std::uint64_t k) { return d.hash < k; });
        if (found != end && found->hash == key)
            return found->include;
    }
    return !includes;
}

bool FilterEngine::matches(const CompiledRule &rule, const Context &context) const
{
    if (!(rule.types & context.type) && context.type != 0)
        return false;
    if (rule.flags & Regex) {
        const re2::RE2 *regex = m_regexes[&rule - m_rules.data()].get();
        if (!regex
            || !RE2::PartialMatch(re2::StringPiece(context.url.data(), context.url.size()), *regex))
            return false;
    } else {
        const std::string_view address = (rule.flags & MatchCase) ? context.url : context.lowered;
        if (!matchesPattern(address, context.span, text(rule.pattern, rule.patternLength),
                            std::uint8_t(rule.anchors)))
            return false;
    }
    if (rule.domainCount && !appliesOn(rule.domains, rule.domainCount, context.siteKeys()))
        return false;
    if ((rule.flags & ThirdParty) && !context.isThirdParty())
        return false;
    if ((rule.flags & FirstParty) && context.isThirdParty())
        return false;
    return true;
}

template<typename Accept>
std::int32_t FilterEngine::findMatch(const TokenIndex &index, const Context &context,
                                     Accept accept) const
{
    for (const std::uint32_t token : *context.tokens) {
        const Slot *slot = findSlot(index, token);
        if (!slot)
            continue;
        for (std::uint32_t i = slot->begin; i < slot->begin + slot->count; ++i) {
            const CompiledRule &rule = m_rules[index.rules[i]];
            if (accept(rule) && matches(rule, context))
                return std::int32_t(index.rules[i]);
        }
    }
    for (const std::uint32_t id : index.untokenized) {
        if (accept(m_rules[id]) && matches(m_rules[id], context))
            return std::int32_t(id);
    }
    return -1;
}

namespace {

// The buffers of one thread's decisions, kept so that deciding allocates nothing.
struct Scratch
{
    std::string lowered;
    std::vector<std::uint32_t> tokens;
    std::vector<std::uint64_t> site;
    std::string pageLowered;
    std::vector<std::uint32_t> pageTokens;
    std::vector<std::uint64_t> pageSite;
};

void lowerInto(std::string_view text, std::string &out)
{
    out.assign(text);
    for (char &c : out)
        c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

} // namespace

std::uint16_t FilterEngine::pageFlags(std::string_view pageUrl, std::int32_t *documentRule) const
{
    if (m_page.table.empty() && m_page.untokenized.empty())
        return 0;
    thread_local Scratch scratch;
    lowerInto(pageUrl, scratch.pageLowered);
    addressTokens(scratch.pageLowered, scratch.pageTokens);
    Context context;
    context.engine = this;
    context.url = pageUrl;
    context.lowered = scratch.pageLowered;
    context.span = hostSpan(context.lowered);
    context.host = hostOf(context.lowered, context.span);
    context.firstPartyHost = context.host;
    context.type = 0; // page exceptions are for the page, whatever types they also name
    context.tokens = &scratch.pageTokens;
    context.site = &scratch.pageSite;
    std::uint16_t flags = 0;
    // Each kind of grant is looked for until one rule gives it.
    for (const std::uint16_t grant :
         { PageDocument, PageElemhide, PageGenerichide, PageGenericblock }) {
        const std::int32_t rule = findMatch(
            m_page, context, [grant](const CompiledRule &r) { return r.flags & grant; });
        if (rule >= 0)
            flags |= grant;
        if (grant == PageDocument && documentRule)
            *documentRule = rule;
    }
    return flags;
}

Decision FilterEngine::decide(const Request &request) const
{
    thread_local Scratch scratch;
    lowerInto(request.url, scratch.lowered);
    addressTokens(scratch.lowered, scratch.tokens);
    // The page itself is its own first party.
    const std::string_view firstParty
        = request.type == Document ? request.url : request.firstPartyUrl;
    lowerInto(firstParty, scratch.pageLowered);
    Context context;
    context.engine = this;
    context.url = request.url;
    context.lowered = scratch.lowered;
    context.span = hostSpan(context.lowered);
    context.host = hostOf(context.lowered, context.span);
    context.firstPartyHost = hostOf(scratch.pageLowered, hostSpan(scratch.pageLowered));
    context.type = request.type ? request.type : std::uint16_t(Other);
    context.tokens = &scratch.tokens;
    context.site = &scratch.site;

    const auto any = [](const CompiledRule &) { return true; };
    const std::int32_t important = findMatch(m_important, context, any);
    if (important >= 0)
        return { true, important };
    std::int32_t blocking = findMatch(m_block, context, any);
    if (blocking < 0)
        return {};
    std::int32_t pageRule = -1;
    const std::uint16_t page = firstParty.empty() ? 0 : pageFlags(firstParty, &pageRule);
    if (page & PageDocument)
        return { false, pageRule };
    if ((page & PageGenericblock) && !(m_rules[blocking].flags & IncludesDomains)) {
        blocking = findMatch(m_block, context, [](const CompiledRule &r) {
            return (r.flags & IncludesDomains) != 0;
        });
        if (blocking < 0)
            return {};
    }
    const std::int32_t exception = findMatch(m_allow, context, any);
    if (exception >= 0)
        return { false, exception };
    return { true, blocking };
}

std::string_view FilterEngine::ruleText(std::int32_t rule) const
{
    if (rule < 0 || std::size_t(rule) >= m_rules.size())
        return {};
    return text(m_rules[rule].text, m_rules[rule].textLength);
}

std::size_t FilterEngine::memoryUsage() const
{
    const auto bytes = [](const auto &v) { return v.capacity() * sizeof(v[0]); };
    const auto indexBytes = [&](const TokenIndex &i) {
        return bytes(i.table) + bytes(i.rules) + bytes(i.untokenized);
    };
    std::size_t total = m_strings.capacity() + bytes(m_rules) + bytes(m_domains)
        + indexBytes(m_block) + indexBytes(m_important) + indexBytes(m_allow) + indexBytes(m_page)
        + bytes(m_cosmetic) + bytes(m_genericHide) + bytes(m_specificHide) + bytes(m_hideExceptions)
        + bytes(m_regexes);
    for (const auto &regex : m_regexes)
        total += regex ? std::size_t(regex->ProgramSize()) * 16 : 0;
    return total;
}

} // namespace Filters
