#include "contentblocking/filterengine.h"

#include "publicsuffix/publicsuffix.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <re2/re2.h>

namespace Filters {

// One thread's buffers, kept so that deciding allocates nothing: the address lowered once,
// its tokens, and the keys of the page's site. Named outside the file's own namespace, since
// the engine's decision context holds them.
struct AddressBuffers
{
    std::string lowered;
    std::vector<std::uint32_t> tokens;
};
struct SiteBuffers
{
    std::vector<std::uint64_t> keys;
    bool known = false;
};

namespace {

struct Scratch
{
    AddressBuffers request, page;
    SiteBuffers site;
};

Scratch &scratch()
{
    thread_local Scratch buffers;
    return buffers;
}

// Eight bytes at a time, since an address may be megabytes long: each ASCII capital gets its
// 0x20 bit; bytes of other letters and of UTF-8 stay as they are.
void lowerInto(std::string_view text, std::string &out)
{
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = ones * 0x80;
    out.resize(text.size());
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        const std::uint64_t low7 = word & ~highs;
        const std::uint64_t fromA = low7 + ones * (0x80 - 'A'); // high bit set at 'A' and above
        const std::uint64_t pastZ = low7 + ones * (0x7f - 'Z'); // high bit set past 'Z'
        const std::uint64_t capitals = (fromA ^ pastZ) & ~word & highs;
        word |= capitals >> 2;
        std::memcpy(out.data() + i, &word, 8);
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        out[i] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
}

// Hosts with more labels than this are not names of the web; the rules' domains are shorter.
constexpr std::size_t MaxSiteLabels = 128;

} // namespace

// What one decision needs to know about an address, worked out once and only when asked.
struct FilterEngine::Context
{
    const FilterEngine *engine = nullptr;
    std::string_view url;
    std::string_view lowered;
    HostSpan span;
    std::string_view host;
    std::string_view firstPartyHost;
    std::uint16_t type = Other;
    AddressBuffers *buffers = nullptr;
    SiteBuffers *site = nullptr; // of firstPartyHost
    mutable bool tokensKnown = false;
    mutable int thirdParty = -1;

    // url lowered into buffers, with site keys of the first party to come.
    Context(const FilterEngine *of, std::string_view address, AddressBuffers &into,
            SiteBuffers &keys, std::uint16_t requestType)
        : engine(of)
        , url(address)
        , type(requestType)
        , buffers(&into)
        , site(&keys)
    {
        lowerInto(address, into.lowered);
        lowered = into.lowered;
        span = hostSpan(lowered);
        host = lowered.substr(span.begin, span.end - span.begin);
    }
    const std::vector<std::uint32_t> &tokens() const
    {
        if (!tokensKnown) {
            addressTokens(lowered, buffers->tokens, engine->m_form.knownTokens);
            tokensKnown = true;
        }
        return buffers->tokens;
    }
    const std::vector<std::uint64_t> &siteKeys() const
    {
        if (!site->known) {
            engine->siteKeys(firstPartyHost, site->keys);
            site->known = true;
        }
        return site->keys;
    }
    bool isThirdParty() const
    {
        if (thirdParty < 0) {
            thirdParty = !firstPartyHost.empty()
                && PublicSuffix::registrableDomain(host)
                    != PublicSuffix::registrableDomain(firstPartyHost);
        }
        return thirdParty;
    }
};

void FilterEngine::siteKeys(std::string_view host, std::vector<std::uint64_t> &keys) const
{
    keys.clear();
    if (host.empty())
        return;
    // "name.*" keys: the host's labels before its public suffix, then "*", hashed from the
    // end as every name is; entityEnd is the dot before the suffix.
    const std::size_t suffix = m_form.entities ? PublicSuffix::publicSuffix(host).size() : 0;
    const std::size_t entityEnd
        = suffix && suffix + 1 < host.size() ? host.size() - suffix - 1 : std::string_view::npos;
    std::uint64_t name = DomainHashSeed;
    std::uint64_t entity = domainHashStep(DomainHashSeed, '*');
    // From the least specific to the most, and turned round at the end.
    std::size_t labels = 0;
    for (std::size_t i = host.size(); i-- > 0 && labels < MaxSiteLabels;) {
        name = domainHashStep(name, host[i]);
        if (entityEnd != std::string_view::npos && i <= entityEnd)
            entity = domainHashStep(entity, host[i]);
        if (i > 0 && host[i - 1] != '.')
            continue;
        ++labels;
        if (entityEnd != std::string_view::npos && i < entityEnd)
            keys.push_back(entity & ~std::uint64_t(1));
        keys.push_back(name & ~std::uint64_t(1));
    }
    std::reverse(keys.begin(), keys.end());
}

bool FilterEngine::appliesOn(std::uint32_t domains, std::uint32_t count,
                             const std::vector<std::uint64_t> &site) const
{
    const auto begin = m_form.domains.begin() + domains;
    const auto end = begin + count;
    bool includes = false;
    for (auto it = begin; it != end; ++it)
        includes = includes || it->include();
    for (const std::uint64_t key : site) {
        const auto found = std::lower_bound(
            begin, end, key, [](const CompiledDomain &d, std::uint64_t k) { return d.hash() < k; });
        if (found != end && found->hash() == key)
            return found->include();
    }
    return !includes;
}

bool FilterEngine::matches(const CompiledRule &rule, const Context &context) const
{
    if (!(rule.types & context.type) && context.type != 0)
        return false;
    if (rule.flags & Regex) {
        const auto id = std::uint32_t(&rule - m_form.rules.data());
        const auto found = std::lower_bound(
            m_regexes.begin(), m_regexes.end(), id,
            [](const auto &entry, std::uint32_t key) { return entry.first < key; });
        const re2::RE2 *regex
            = found != m_regexes.end() && found->first == id ? found->second.get() : nullptr;
        // Searched within the same length as patterns; "$" still means the real end.
        const re2::StringPiece url(context.url.data(), context.url.size());
        if (!regex
            || !regex->Match(url, 0, std::min(url.size(), SearchedLength), RE2::UNANCHORED, nullptr,
                             0))
            return false;
    } else {
        const bool matchCase = rule.flags & MatchCase;
        if (!matchesPattern(matchCase ? context.url : context.lowered, context.span,
                            patternOf(rule), std::uint8_t(rule.flags >> AnchorShift), !matchCase))
            return false;
    }
    const std::uint32_t domains = domainsEnd(std::size_t(&rule - m_form.rules.data()));
    if (domains > rule.domains
        && !appliesOn(rule.domains, domains - rule.domains, context.siteKeys()))
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
    const std::size_t bucketCount = index.buckets.empty() ? 0 : index.buckets.size() - 1;
    for (const std::uint32_t token : context.tokens()) {
        if (!bucketCount)
            break;
        const std::size_t bucket = tokenBucket(token, bucketCount);
        const std::uint8_t mark = tokenMark(token);
        for (std::uint32_t i = index.buckets[bucket]; i < index.buckets[bucket + 1]; ++i) {
            if (index.marks[i] != mark)
                continue;
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

FilterEngine::Context FilterEngine::pageContext(std::string_view pageUrl) const
{
    Scratch &buffers = scratch();
    buffers.site.known = false;
    // Page exceptions are for the page, whatever types they also name.
    Context page(this, pageUrl, buffers.page, buffers.site, 0);
    page.firstPartyHost = page.host;
    return page;
}

std::uint16_t FilterEngine::pageFlags(std::string_view pageUrl, std::int32_t *documentRule) const
{
    if (m_form.page.rules.empty() && m_form.page.untokenized.empty())
        return 0;
    return pageFlags(pageContext(pageUrl), documentRule);
}

std::uint16_t FilterEngine::pageFlags(std::string_view pageUrl,
                                      std::vector<std::uint64_t> &site) const
{
    const Context page = pageContext(pageUrl);
    site = page.siteKeys();
    return pageFlags(page, nullptr);
}

std::uint16_t FilterEngine::pageFlags(const Context &page, std::int32_t *documentRule) const
{
    if (m_form.page.rules.empty() && m_form.page.untokenized.empty())
        return 0;
    std::uint16_t flags = 0;
    // Each kind of grant is looked for until one rule gives it.
    for (const std::uint16_t grant :
         { PageDocument, PageElemhide, PageGenerichide, PageGenericblock }) {
        const std::int32_t rule = findMatch(
            m_form.page, page, [grant](const CompiledRule &r) { return r.flags & grant; });
        if (rule >= 0)
            flags |= grant;
        if (grant == PageDocument && documentRule)
            *documentRule = rule;
    }
    return flags;
}

Decision FilterEngine::decide(const Request &request) const
{
    Scratch &buffers = scratch();
    buffers.site.known = false;
    std::uint16_t type = request.type ? request.type : std::uint16_t(Other);
    Context context(this, request.url, buffers.request, buffers.site, type);
    // A web socket's request may come untyped; its scheme says what it is.
    if (type == Other
        && (context.lowered.starts_with("ws://") || context.lowered.starts_with("wss://")))
        context.type = WebSocket;
    // The page itself is its own first party: its address is lowered and split only once.
    const bool document = request.type == Document;
    const std::string_view firstParty = document ? request.url : request.firstPartyUrl;
    std::optional<Context> page;
    if (document) {
        context.firstPartyHost = context.host;
    } else if (!firstParty.empty()) {
        page.emplace(this, firstParty, buffers.page, buffers.site, 0);
        context.firstPartyHost = page->firstPartyHost = page->host;
    }

    const auto any = [](const CompiledRule &) { return true; };
    const std::int32_t important = findMatch(m_form.important, context, any);
    if (important >= 0)
        return { true, important };
    std::int32_t blocking = findMatch(m_form.block, context, any);
    if (blocking < 0)
        return {};
    std::int32_t pageRule = -1;
    std::uint16_t flags = 0;
    if (document) {
        Context self = context;
        self.type = 0;
        flags = pageFlags(self, &pageRule);
    } else if (page) {
        flags = pageFlags(*page, &pageRule);
    }
    if (flags & PageDocument)
        return { false, pageRule };
    if ((flags & PageGenericblock) && !(m_form.rules[blocking].flags & IncludesDomains)) {
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
    const std::uint32_t begin = m_form.rules[rule].text;
    return m_form.texts.substr(begin, textEnd(std::size_t(rule)) - begin);
}

std::size_t FilterEngine::memoryUsage() const
{
    // A payload read where it lies in a mapped file is not on the heap.
    std::size_t total
        = m_owned.capacity() * sizeof(m_owned[0]) + m_regexes.capacity() * sizeof(m_regexes[0]);
    for (const auto &regex : m_regexes)
        total += std::size_t(regex.second->ProgramSize()) * 16;
    return total;
}

} // namespace Filters
