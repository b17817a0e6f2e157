#include "contentblocking/requesttype.h"

namespace Filters {

std::uint16_t typeNamed(std::string_view option)
{
    struct Name
    {
        std::string_view name;
        std::uint16_t type;
    };
    // The names of the syntax, and the short names that other blockers' lists use for them.
    static constexpr Name names[] = {
        { "script", Script },
        { "image", Image },
        { "stylesheet", Stylesheet },
        { "css", Stylesheet },
        { "object", Object },
        { "xmlhttprequest", XmlHttpRequest },
        { "xhr", XmlHttpRequest },
        { "subdocument", Subdocument },
        { "frame", Subdocument },
        { "ping", Ping },
        { "beacon", Ping },
        { "media", Media },
        { "font", Font },
        { "websocket", WebSocket },
        { "other", Other },
        { "document", Document },
        { "doc", Document },
    };
    for (const Name &name : names) {
        if (name.name == option)
            return name.type;
    }
    return 0;
}

} // namespace Filters
