#pragma once

#include "contentblocking/filterengine.h"
#include "contentblocking/filterparser.h"

#include <QRandomGenerator>
#include <string>
#include <vector>

// Requests for the blocking benchmarks: addresses made from the lists' own rules (so that
// many are blocked, through every kind of pattern) and the addresses of ordinary pages (most
// of which pass), with every resource type, first and third party.
struct BenchRequest
{
    std::string url;
    std::string firstParty;
    std::uint16_t type = Filters::Other;
};

namespace BenchRequests {

inline constexpr std::uint16_t Types[] = {
    Filters::Script,         Filters::Image,       Filters::Stylesheet, Filters::Object,
    Filters::XmlHttpRequest, Filters::Subdocument, Filters::Ping,       Filters::Media,
    Filters::Font,           Filters::WebSocket,   Filters::Other,      Filters::Document,
};

inline const char *const Sites[] = {
    "www.dailynews-example.com", "news.example.co.uk",   "shop.example.de", "blog.example.org",
    "www.videosite-example.net", "forum.example.com.au", "docs.example.io", "a.b.example.jp",
    "weather.example.fr",        "mail.example.com",
};

inline const char *const ThirdPartyHosts[] = {
    "cdn.jsdelivr.net",       "fonts.gstatic.com",      "ajax.googleapis.com",
    "cdnjs.cloudflare.com",   "static.example-cdn.com", "images.example-media.net",
    "api.example-service.io",
};

inline std::string word(QRandomGenerator &random, int length)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string out;
    for (int i = 0; i < length; ++i)
        out.push_back(letters[random.bounded(int(sizeof letters - 1))]);
    return out;
}

// An address that the rule's pattern matches, with its wildcards filled in.
inline std::string fromPattern(QRandomGenerator &random, const Filters::NetworkRule &rule)
{
    std::string body;
    for (const char c : rule.pattern) {
        if (c == '*')
            body += word(random, 1 + random.bounded(6));
        else if (c == '^')
            body += random.bounded(2) ? "/" : "?";
        else
            body += c;
    }
    if (rule.anchors & Filters::HostAnchor)
        return (random.bounded(2) ? "https://" : "https://www.") + body
            + (body.find('/') == std::string::npos ? "/" + word(random, 8) + ".js" : "");
    if (rule.anchors & Filters::StartAnchor)
        return body.starts_with("http") || body.starts_with("ws") ? body : "https://" + body;
    return "https://" + std::string(ThirdPartyHosts[random.bounded(7)]) + "/" + word(random, 5)
        + body;
}

inline std::string ordinary(QRandomGenerator &random, std::uint16_t type, const std::string &site)
{
    const bool own = random.bounded(2);
    const std::string host = own ? site : ThirdPartyHosts[random.bounded(7)];
    const std::string base = "https://" + host + "/";
    switch (type) {
    case Filters::Script:
        return base + "static/js/app." + word(random, 10) + ".js";
    case Filters::Image:
        return base + "images/2024/" + word(random, 6) + "/photo-" + word(random, 4) + ".jpg";
    case Filters::Stylesheet:
        return base + "css/main." + word(random, 8) + ".css";
    case Filters::Font:
        return base + "fonts/roboto-" + word(random, 3) + ".woff2";
    case Filters::XmlHttpRequest:
        return base + "api/v2/articles?page=" + word(random, 2) + "&lang=en";
    case Filters::Media:
        return base + "video/" + word(random, 12) + "/720p.mp4";
    case Filters::WebSocket:
        return "wss://" + host + "/live/" + word(random, 6);
    case Filters::Document:
    case Filters::Subdocument:
        return base + "2024/05/" + word(random, 7) + "-" + word(random, 9) + ".html";
    default:
        return base + word(random, 5) + "/" + word(random, 8);
    }
}

// count requests, half from the rules, half ordinary.
inline std::vector<BenchRequest> make(const Filters::RuleCollection &rules, std::size_t count,
                                      quint32 seed = 7)
{
    QRandomGenerator random(seed);
    std::vector<const Filters::NetworkRule *> usable;
    for (const Filters::NetworkRule &rule : rules.network) {
        if (!(rule.flags & Filters::Regex) && !rule.pattern.empty())
            usable.push_back(&rule);
    }
    std::vector<BenchRequest> requests;
    requests.reserve(count);
    while (requests.size() < count) {
        BenchRequest request;
        const std::string site = Sites[random.bounded(int(std::size(Sites)))];
        request.type = Types[random.bounded(int(std::size(Types)))];
        request.firstParty = "https://" + site + "/" + word(random, 6) + ".html";
        if (random.bounded(2) && !usable.empty()) {
            const Filters::NetworkRule &rule = *usable[random.bounded(int(usable.size()))];
            request.url = fromPattern(random, rule);
            // Mostly the types the rule names, so that its options are exercised.
            if (random.bounded(4)) {
                std::vector<std::uint16_t> named;
                for (const std::uint16_t type : Types)
                    if (rule.types & type)
                        named.push_back(type);
                if (!named.empty())
                    request.type = named[random.bounded(int(named.size()))];
            }
        } else {
            request.url = ordinary(random, request.type, site);
        }
        if (request.type == Filters::Document)
            request.firstParty = request.url;
        requests.push_back(std::move(request));
    }
    return requests;
}

} // namespace BenchRequests
