#include "publicsuffix/publicsuffix.h"

#include <libpsl.h>
#include <string>

namespace PublicSuffix {

namespace {

// The system's list, kept up to date by its package; the copy built into libpsl otherwise.
const psl_ctx_t *suffixList()
{
    static const psl_ctx_t *const list = [] {
        const psl_ctx_t *latest = psl_latest(nullptr);
        return latest ? latest : psl_builtin();
    }();
    return list;
}

// libpsl reads NUL-terminated text; hosts are short, so the copy stays on the stack mostly.
template<typename Lookup> std::string_view withTerminated(std::string_view host, Lookup lookup)
{
    if (host.empty())
        return host;
    char local[256];
    std::string heap;
    const char *text = nullptr;
    if (host.size() < sizeof local) {
        host.copy(local, host.size());
        local[host.size()] = '\0';
        text = local;
    } else {
        heap.assign(host);
        text = heap.c_str();
    }
    const char *found = lookup(text);
    return found ? host.substr(std::size_t(found - text)) : std::string_view();
}

// An IP address: in brackets (v6), or ending in a label of digits, which no top-level
// domain is. The list would take "0.1" for the site of 127.0.0.1, so that every address
// ending in .0.1 would be one site.
bool isAddress(std::string_view host)
{
    if (host.starts_with('['))
        return true;
    const std::size_t dot = host.rfind('.');
    const std::string_view last = dot == std::string_view::npos ? host : host.substr(dot + 1);
    return !last.empty() && last.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

bool available()
{
    return suffixList() != nullptr;
}

std::string_view registrableDomain(std::string_view host)
{
    const psl_ctx_t *list = suffixList();
    if (!list || isAddress(host))
        return host;
    const std::string_view domain = withTerminated(
        host, [list](const char *text) { return psl_registrable_domain(list, text); });
    return domain.empty() ? host : domain;
}

std::string_view publicSuffix(std::string_view host)
{
    const psl_ctx_t *list = suffixList();
    if (!list || isAddress(host))
        return {};
    return withTerminated(
        host, [list](const char *text) { return psl_unregistrable_domain(list, text); });
}

bool isListed(std::string_view name)
{
    const psl_ctx_t *list = suffixList();
    if (!list || name.empty())
        return false;
    const std::string text(name);
    return psl_is_public_suffix2(list, text.c_str(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE);
}

} // namespace PublicSuffix
