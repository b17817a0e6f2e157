// The engine's file form: its arrays as they are in memory, behind a header that says what
// they were built from, and a checksum over them all.

#include "filterengine.h"

#include <cstring>
#include <type_traits>

namespace Filters {

namespace {

constexpr char Magic[8] = { 'K', 'S', 'T', 'V', 'F', 'L', 'T', '\n' };
// Any change of the arrays' layout, or of what a rule means, changes this.
constexpr std::uint32_t Version = 1 + (sizeof(void *) << 8);

std::uint64_t checksum(std::string_view data)
{
    std::uint64_t hash = 14695981039346656037ull;
    // Eight bytes a step: a file of some megabytes is checked in a millisecond or two.
    std::size_t i = 0;
    for (; i + 8 <= data.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data.data() + i, 8);
        hash = (hash ^ word) * 1099511628211ull;
        hash ^= hash >> 29;
    }
    for (; i < data.size(); ++i)
        hash = (hash ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
    return hash;
}

class Writer
{
public:
    template<typename T> void value(const T &v)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        out.append(reinterpret_cast<const char *>(&v), sizeof v);
    }
    template<typename T> void array(const std::vector<T> &v)
    {
        value(std::uint64_t(v.size()));
        out.append(reinterpret_cast<const char *>(v.data()), v.size() * sizeof(T));
    }
    void bytes(std::string_view text)
    {
        value(std::uint64_t(text.size()));
        out.append(text);
    }
    std::string out;
};

class Reader
{
public:
    explicit Reader(std::string_view data)
        : in(data)
    {
    }
    template<typename T> bool value(T &v)
    {
        if (in.size() < sizeof v)
            return false;
        std::memcpy(&v, in.data(), sizeof v);
        in.remove_prefix(sizeof v);
        return true;
    }
    template<typename T> bool array(std::vector<T> &v)
    {
        std::uint64_t count = 0;
        if (!value(count) || count > in.size() / sizeof(T))
            return false;
        v.resize(count);
        std::memcpy(v.data(), in.data(), count * sizeof(T));
        in.remove_prefix(count * sizeof(T));
        return true;
    }
    bool bytes(std::string &text)
    {
        std::uint64_t count = 0;
        if (!value(count) || count > in.size())
            return false;
        text.assign(in.substr(0, count));
        in.remove_prefix(count);
        return true;
    }
    std::string_view in;
};

template<typename Stream, typename Index> bool index(Stream &stream, Index &i)
{
    return stream.array(i.table) && stream.array(i.rules) && stream.array(i.untokenized);
}

} // namespace

std::string FilterEngine::save(std::string_view key) const
{
    Writer payload;
    payload.bytes(m_strings);
    payload.array(m_rules);
    payload.array(m_domains);
    for (const TokenIndex *i : { &m_block, &m_important, &m_allow, &m_page }) {
        payload.array(i->table);
        payload.array(i->rules);
        payload.array(i->untokenized);
    }
    payload.array(m_cosmetic);
    payload.array(m_genericHide);
    payload.array(m_specificHide);
    payload.array(m_hideExceptions);
    payload.value(m_figures);
    payload.value(std::uint8_t(m_entities));

    Writer file;
    file.out.append(Magic, sizeof Magic);
    file.value(Version);
    file.bytes(key);
    file.value(checksum(payload.out));
    file.out.append(payload.out);
    return std::move(file.out);
}

std::unique_ptr<FilterEngine> FilterEngine::load(std::string_view file, std::string_view key)
{
    if (file.size() < sizeof Magic || std::memcmp(file.data(), Magic, sizeof Magic) != 0)
        return nullptr;
    Reader header(file.substr(sizeof Magic));
    std::uint32_t version = 0;
    std::string storedKey;
    std::uint64_t sum = 0;
    if (!header.value(version) || version != Version || !header.bytes(storedKey) || storedKey != key
        || !header.value(sum) || checksum(header.in) != sum)
        return nullptr;

    std::unique_ptr<FilterEngine> engine(new FilterEngine);
    Reader payload(header.in);
    std::uint8_t entities = 0;
    bool read = payload.bytes(engine->m_strings) && payload.array(engine->m_rules)
        && payload.array(engine->m_domains);
    for (TokenIndex *i :
         { &engine->m_block, &engine->m_important, &engine->m_allow, &engine->m_page })
        read = read && index(payload, *i);
    read = read && payload.array(engine->m_cosmetic) && payload.array(engine->m_genericHide)
        && payload.array(engine->m_specificHide) && payload.array(engine->m_hideExceptions)
        && payload.value(engine->m_figures) && payload.value(entities) && payload.in.empty();
    if (!read || !engine->isSound())
        return nullptr;
    engine->m_entities = entities;
    engine->compileRegexes();
    return engine;
}

// Every offset and count points inside the arrays, so that a file whose checksum happens to
// hold can still not make the engine read out of bounds.
bool FilterEngine::isSound() const
{
    const auto inText = [this](std::uint64_t offset, std::uint64_t length) {
        return offset + length <= m_strings.size();
    };
    const auto inDomains = [this](std::uint64_t offset, std::uint64_t count) {
        return offset + count <= m_domains.size();
    };
    for (const CompiledRule &rule : m_rules) {
        if (!inText(rule.pattern, rule.patternLength) || !inText(rule.text, rule.textLength)
            || !inDomains(rule.domains, rule.domainCount))
            return false;
    }
    for (const TokenIndex *i : { &m_block, &m_important, &m_allow, &m_page }) {
        if (!i->table.empty() && (i->table.size() & (i->table.size() - 1)))
            return false;
        bool free = i->table.empty();
        for (const Slot &slot : i->table) {
            free = free || !slot.token;
            if (std::uint64_t(slot.begin) + slot.count > i->rules.size())
                return false;
        }
        if (!free)
            return false; // a lookup of a missing token would never end
        for (const std::uint32_t id : i->rules) {
            if (id >= m_rules.size())
                return false;
        }
        for (const std::uint32_t id : i->untokenized) {
            if (id >= m_rules.size())
                return false;
        }
    }
    for (const CompiledCosmetic &rule : m_cosmetic) {
        if (!inText(rule.selector, rule.selectorLength)
            || !inDomains(rule.domains, rule.domainCount))
            return false;
    }
    for (const std::uint32_t id : m_genericHide) {
        if (id >= m_cosmetic.size())
            return false;
    }
    for (const std::vector<DomainKey> *keys : { &m_specificHide, &m_hideExceptions }) {
        for (const DomainKey &key : *keys) {
            if (key.rule >= m_cosmetic.size())
                return false;
        }
    }
    return true;
}

} // namespace Filters
