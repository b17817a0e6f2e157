// A filter list as any bytes: parsed, compiled, asked about addresses made from the same
// bytes, written to its file form and read back. The bytes are also read as a damaged file
// form, which must be refused or read without harm.

#include "contentblocking/filterengine.h"
#include "contentblocking/filterparser.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    Filters::RuleCollection rules;
    Filters::parseList(input, rules);
    const Filters::ListFigures &figures = rules.figures;
    std::int64_t lines = 0;
    for (std::size_t at = 0; at < input.size(); ++lines) {
        const std::size_t end = input.find('\n', at);
        at = end == std::string_view::npos ? input.size() : end + 1;
    }
    if (figures.lines != lines
        || figures.networkRules + figures.cosmeticRules + figures.comments + figures.skipped()
            != lines)
        std::abort();

    const Filters::FilterEngine engine(rules);
    const std::string file = engine.save("fuzz");
    const auto loaded = Filters::FilterEngine::load(file, "fuzz");
    if (!loaded)
        std::abort();
    // Addresses with the input's own text in them, where its patterns are likeliest to match.
    const std::string piece(input.substr(0, 300));
    const std::string addresses[] = {
        "https://example.com/" + piece,
        "http://" + piece,
        "https://a.b.co.uk/x?" + piece,
    };
    for (const std::string &address : addresses) {
        for (const std::uint16_t type : { Filters::Script, Filters::Image, Filters::Document }) {
            const Filters::Request request { address, "https://site.example/", type };
            const Filters::Decision a = engine.decide(request);
            const Filters::Decision b = loaded->decide(request);
            if (a.blocked != b.blocked || a.rule != b.rule)
                std::abort();
        }
        if (engine.styleSheet(address) != loaded->styleSheet(address))
            std::abort();
    }
    (void)Filters::FilterEngine::load(input, "fuzz");
    return 0;
}
