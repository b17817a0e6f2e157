// The cosmetic half of the engine: what the lists hide on a page, as a style sheet.

#include "contentblocking/filterengine.h"

#include <algorithm>
#include <unordered_set>

namespace Filters {

std::vector<std::string_view> FilterEngine::hiddenSelectors(std::string_view pageUrl) const
{
    std::vector<std::string_view> selectors;
    std::vector<std::uint64_t> site;
    const std::uint16_t page = pageFlags(pageUrl, site);
    if (page & (PageDocument | PageElemhide))
        return selectors;

    const auto rulesFor = [&](View<DomainKey> keys, std::vector<std::uint32_t> &out) {
        for (const std::uint64_t key : site) {
            const auto high = std::uint32_t(key >> 32);
            auto it
                = std::lower_bound(keys.begin(), keys.end(), high,
                                   [](const DomainKey &k, std::uint32_t h) { return k.hash < h; });
            for (; it != keys.end() && it->hash == high; ++it) {
                const std::uint32_t domains = m_form.cosmetic[it->rule].domains;
                if (appliesOn(domains, cosmeticDomainsEnd(it->rule) - domains, site))
                    out.push_back(it->rule);
            }
        }
    };
    std::vector<std::uint32_t> excepted;
    rulesFor(m_form.hideExceptions, excepted);
    std::unordered_set<std::string_view> exceptions;
    for (const std::uint32_t id : excepted)
        exceptions.insert(selectorOf(id));

    std::vector<std::uint32_t> chosen;
    if (!(page & PageGenerichide)) {
        for (const std::uint32_t id : m_form.genericHide) {
            const std::uint32_t domains = m_form.cosmetic[id].domains;
            const std::uint32_t count = cosmeticDomainsEnd(id) - domains;
            if (!count || appliesOn(domains, count, site))
                chosen.push_back(id);
        }
    }
    rulesFor(m_form.specificHide, chosen);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    std::unordered_set<std::string_view> seen;
    for (const std::uint32_t id : chosen) {
        const std::string_view selector = selectorOf(id);
        if (!exceptions.contains(selector) && seen.insert(selector).second)
            selectors.push_back(selector);
    }
    return selectors;
}

std::string FilterEngine::styleSheet(std::string_view pageUrl) const
{
    static constexpr std::string_view hide = " { display: none !important; }\n";
    const std::vector<std::string_view> selectors = hiddenSelectors(pageUrl);
    std::size_t size = 0;
    for (const std::string_view selector : selectors)
        size += selector.size() + hide.size();
    std::string sheet;
    sheet.reserve(size);
    for (const std::string_view selector : selectors) {
        sheet.append(selector);
        sheet.append(hide);
    }
    return sheet;
}

} // namespace Filters
