// The engine's file form: its arrays as they are in memory, behind a header that says what
// they were built from, and a checksum over them all. Every field starts on eight bytes, so
// that the arrays can be read where they lie in a file mapped into memory.

#include "contentblocking/filterengine.h"

#include <cstring>
#include <type_traits>

namespace Filters {

namespace {

constexpr char Magic[8] = { 'K', 'S', 'T', 'V', 'F', 'L', 'T', '\n' };
// Any change of the arrays' layout, or of what a rule means, changes this.
constexpr std::uint32_t Version = 7 + (sizeof(void *) << 8);
constexpr std::size_t Alignment = 8;

constexpr std::size_t padded(std::size_t size)
{
    return (size + Alignment - 1) & ~(Alignment - 1);
}

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

// Its calls answer true, as fields() wants of a stream: writing cannot fail.
class Writer
{
public:
    template<typename T> bool value(const T &v)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        return append(&v, sizeof v);
    }
    template<typename T> bool array(const std::vector<T> &v)
    {
        static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= Alignment);
        return value(std::uint64_t(v.size())) && append(v.data(), v.size() * sizeof(T));
    }
    bool bytes(std::string_view text)
    {
        return value(std::uint64_t(text.size())) && append(text.data(), text.size());
    }
    std::string out;

private:
    bool append(const void *data, std::size_t size)
    {
        out.append(static_cast<const char *>(data), size);
        out.resize(padded(out.size()), '\0');
        return true;
    }
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
        if (in.size() < padded(sizeof v))
            return false;
        std::memcpy(&v, in.data(), sizeof v);
        in.remove_prefix(padded(sizeof v));
        return true;
    }
    template<typename T> bool array(std::span<const T> &v)
    {
        std::uint64_t count = 0;
        if (!value(count) || count > in.size() / sizeof(T) || padded(count * sizeof(T)) > in.size()
            || reinterpret_cast<std::uintptr_t>(in.data()) % alignof(T))
            return false;
        v = { reinterpret_cast<const T *>(in.data()), std::size_t(count) };
        in.remove_prefix(padded(count * sizeof(T)));
        return true;
    }
    bool bytes(std::string_view &text)
    {
        std::uint64_t count = 0;
        if (!value(count) || count > in.size() || padded(count) > in.size())
            return false;
        text = in.substr(0, count);
        in.remove_prefix(padded(count));
        return true;
    }
    std::string_view in;
};

// The one list of the form's fields, in their order, for writing and for reading alike.
template<typename Stream, typename Form> bool fields(Stream &stream, Form &form)
{
    const auto index = [&stream](auto &i) {
        return stream.array(i.buckets) && stream.array(i.rules) && stream.array(i.marks)
            && stream.array(i.untokenized);
    };
    return stream.bytes(form.strings) && stream.array(form.rules) && stream.array(form.domains)
        && index(form.block) && index(form.important) && index(form.allow) && index(form.page)
        && stream.array(form.cosmetic) && stream.array(form.genericHide)
        && stream.array(form.specificHide) && stream.array(form.hideExceptions)
        && stream.bytes(form.texts) && stream.array(form.knownTokens) && stream.value(form.figures)
        && stream.value(form.ruleDomainsEnd) && stream.value(form.entities);
}

} // namespace

void FilterEngine::adopt(const Built &built)
{
    Writer payload;
    fields(payload, built);
    attachCopy(payload.out);
}

bool FilterEngine::attachCopy(std::string_view payload)
{
    m_owned.assign(padded(payload.size()) / sizeof(std::uint64_t), 0);
    std::memcpy(m_owned.data(), payload.data(), payload.size());
    return attach({ reinterpret_cast<const char *>(m_owned.data()), payload.size() });
}

bool FilterEngine::attach(std::string_view payload)
{
    Reader reader(payload);
    m_payload = payload;
    return fields(reader, m_form) && reader.in.empty();
}

std::string FilterEngine::save(std::string_view key) const
{
    Writer file;
    file.out.append(Magic, sizeof Magic);
    file.value(Version);
    file.bytes(key);
    file.value(checksum(m_payload));
    file.out.append(m_payload);
    return std::move(file.out);
}

std::unique_ptr<FilterEngine> FilterEngine::load(std::string_view file, std::string_view key,
                                                 std::shared_ptr<const void> keep)
{
    if (file.size() < sizeof Magic || std::memcmp(file.data(), Magic, sizeof Magic) != 0)
        return nullptr;
    Reader header(file.substr(sizeof Magic));
    std::uint32_t version = 0;
    std::string_view storedKey;
    std::uint64_t sum = 0;
    if (!header.value(version) || version != Version || !header.bytes(storedKey) || storedKey != key
        || !header.value(sum) || checksum(header.in) != sum)
        return nullptr;

    std::unique_ptr<FilterEngine> engine(new FilterEngine);
    const std::string_view payload = header.in;
    const bool inPlace = keep && reinterpret_cast<std::uintptr_t>(payload.data()) % Alignment == 0;
    if (inPlace)
        engine->m_keep = std::move(keep);
    if (!(inPlace ? engine->attach(payload) : engine->attachCopy(payload)) || !engine->isSound())
        return nullptr;
    engine->compileRegexes();
    return engine;
}

// Every offset and count points inside the arrays, so that a file whose checksum happens to
// hold can still not make the engine read out of bounds.
bool FilterEngine::isSound() const
{
    // Each rule's text and domains run to the next rule's, so their starts must rise.
    if (m_form.ruleDomainsEnd > m_form.domains.size())
        return false;
    for (std::size_t id = 0; id < m_form.rules.size(); ++id) {
        const CompiledRule &rule = m_form.rules[id];
        if (textEnd(id) < rule.text || textEnd(id) > m_form.texts.size()
            || std::uint32_t(rule.pattern + rule.patternLength) > textEnd(id) - rule.text
            || domainsEnd(id) < rule.domains || domainsEnd(id) > m_form.ruleDomainsEnd)
            return false;
    }
    for (const TokenIndex *i : { &m_form.block, &m_form.important, &m_form.allow, &m_form.page }) {
        // Buckets that rise from 0 to the entries' end, so that every range lies inside.
        if (i->marks.size() != i->rules.size()
            || (!i->buckets.empty()
                && (i->buckets.front() != 0 || i->buckets.back() != i->rules.size()))
            || (i->buckets.empty() && !i->rules.empty()))
            return false;
        for (std::size_t b = 1; b < i->buckets.size(); ++b) {
            if (i->buckets[b] < i->buckets[b - 1])
                return false;
        }
        for (const std::uint32_t id : i->rules) {
            if (id >= m_form.rules.size())
                return false;
        }
        for (const std::uint32_t id : i->untokenized) {
            if (id >= m_form.rules.size())
                return false;
        }
    }
    for (std::size_t id = 0; id < m_form.cosmetic.size(); ++id) {
        const CompiledCosmetic &rule = m_form.cosmetic[id];
        const std::uint32_t selectorEnd = id + 1 < m_form.cosmetic.size()
            ? m_form.cosmetic[id + 1].selector
            : std::uint32_t(m_form.strings.size());
        if (selectorEnd < rule.selector || selectorEnd > m_form.strings.size()
            || rule.domains < m_form.ruleDomainsEnd || cosmeticDomainsEnd(id) < rule.domains
            || cosmeticDomainsEnd(id) > m_form.domains.size())
            return false;
    }
    for (const std::uint32_t id : m_form.genericHide) {
        if (id >= m_form.cosmetic.size())
            return false;
    }
    for (const View<DomainKey> *keys : { &m_form.specificHide, &m_form.hideExceptions }) {
        for (const DomainKey &key : *keys) {
            if (key.rule >= m_form.cosmetic.size())
                return false;
        }
    }
    return true;
}

} // namespace Filters
