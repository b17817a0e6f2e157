#pragma once

#include <cstdint>
#include <string_view>

// What a request fetches, as the filter options name it. One bit each, so that a rule keeps
// the types it applies to as a mask.
namespace Filters {

enum RequestType : std::uint16_t {
    Script = 1 << 0,
    Image = 1 << 1,
    Stylesheet = 1 << 2,
    Object = 1 << 3,
    XmlHttpRequest = 1 << 4,
    Subdocument = 1 << 5,
    Ping = 1 << 6,
    Media = 1 << 7,
    Font = 1 << 8,
    WebSocket = 1 << 9,
    Other = 1 << 10,
    // The page itself: a rule reaches it only by naming it.
    Document = 1 << 11,
};

// The types a rule without type options applies to.
inline constexpr std::uint16_t DefaultTypes = Script | Image | Stylesheet | Object | XmlHttpRequest
    | Subdocument | Ping | Media | Font | WebSocket | Other;

// The type an option names ("script", "xhr", ...); 0 when the option is not a type.
std::uint16_t typeNamed(std::string_view option);

} // namespace Filters
