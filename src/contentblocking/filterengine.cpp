#include "filterengine.h"

#include "publicsuffix.h"

#include <algorithm>
#include <re2/re2.h>

namespace Filters {

namespace {

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

void FilterEngine::siteKeys(std::string_view host, std::vector<std::uint64_t> &keys) const
{
    keys.clear();
    if (host.empty())
        return;
    const std::size_t suffix = m_form.entities ? publicSuffix(host).size() : 0;
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
    const auto begin = m_form.domains.begin() + domains;
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
        const re2::RE2 *regex = m_regexes[&rule - m_form.rules.data()].get();
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
            const CompiledRule &rule = m_form.rules[index.rules[i]];
            if (accept(rule) && matches(rule, context))
                return std::int32_t(index.rules[i]);
        }
    }
    for (const std::uint32_t id : index.untokenized) {
        if (accept(m_form.rules[id]) && matches(m_form.rules[id], context))
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
    if (m_form.page.table.empty() && m_form.page.untokenized.empty())
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
            m_form.page, context, [grant](const CompiledRule &r) { return r.flags & grant; });
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
    const std::int32_t important = findMatch(m_form.important, context, any);
    if (important >= 0)
        return { true, important };
    std::int32_t blocking = findMatch(m_form.block, context, any);
    if (blocking < 0)
        return {};
    std::int32_t pageRule = -1;
    const std::uint16_t page = firstParty.empty() ? 0 : pageFlags(firstParty, &pageRule);
    if (page & PageDocument)
        return { false, pageRule };
    if ((page & PageGenericblock) && !(m_form.rules[blocking].flags & IncludesDomains)) {
        blocking = findMatch(m_form.block, context, [](const CompiledRule &r) {
            return (r.flags & IncludesDomains) != 0;
        });
        if (blocking < 0)
            return {};
    }
    const std::int32_t exception = findMatch(m_form.allow, context, any);
    if (exception >= 0)
        return { false, exception };
    return { true, blocking };
}

std::string_view FilterEngine::ruleText(std::int32_t rule) const
{
    if (rule < 0 || std::size_t(rule) >= m_form.rules.size())
        return {};
    return m_form.texts.substr(m_form.rules[rule].text, m_form.rules[rule].textLength);
}

std::size_t FilterEngine::memoryUsage() const
{
    // A payload read where it lies in a mapped file is not on the heap.
    std::size_t total
        = m_owned.capacity() * sizeof(m_owned[0]) + m_regexes.capacity() * sizeof(m_regexes[0]);
    for (const auto &regex : m_regexes)
        total += regex ? std::size_t(regex->ProgramSize()) * 16 : 0;
    return total;
}

} // namespace Filters
