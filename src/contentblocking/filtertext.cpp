#include "contentblocking/filtertext.h"

#include <QString>
#include <QUrl>

namespace Filters::Text {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

bool isUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int more = 0;
        if (c < 0x80)
            more = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            more = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            more = 3;
        else
            return false;
        if (i + more >= text.size() + (more ? 0 : 1))
            return false;
        for (int k = 1; k <= more; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += more + 1;
    }
    return true;
}

bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// One domain of a domain list, in the lower-case ASCII form that hosts have; "" if it is not
// a domain.
std::string domainForm(std::string_view domain)
{
    std::string form = lowered(domain);
    if (!isAscii(form))
        form = QUrl::toAce(QString::fromUtf8(form.data(), qsizetype(form.size()))).toStdString();
    if (form.empty() || form.front() == '.' || form.back() == '.')
        return {};
    const std::string_view name
        = std::string_view(form).substr(0, form.ends_with(".*") ? form.size() - 2 : form.size());
    for (const char c : name) {
        // Addresses stand as themselves, IPv6 ones in brackets as in a URL.
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_'
              || c == ':' || c == '[' || c == ']'))
            return {};
    }
    return name.empty() ? std::string() : form;
}

// Parses "a.com|~b.com" (or with commas); false when an entry is not a domain.
bool parseDomains(std::string_view list, char separator, std::vector<DomainEntry> &domains)
{
    while (!list.empty()) {
        const std::size_t end = list.find(separator);
        std::string_view entry = list.substr(0, end);
        list = end == npos ? std::string_view() : list.substr(end + 1);
        if (entry.empty())
            continue;
        const bool include = entry.front() != '~';
        if (!include)
            entry.remove_prefix(1);
        const std::string form = domainForm(entry);
        if (form.empty())
            return false;
        domains.push_back({ domainHash(form), include, form.ends_with(".*") });
    }
    return true;
}

bool includesDomain(const std::vector<DomainEntry> &domains)
{
    for (const DomainEntry &entry : domains) {
        if (entry.include)
            return true;
    }
    return false;
}

} // namespace Filters::Text
