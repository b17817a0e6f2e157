#pragma once

#include "contentblocking/filterrules.h"
#include "contentblocking/requesttype.h"
#include "contentblocking/urlpattern.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace re2 {
class RE2;
}

// The compiled filter lists: which requests to block, and what to hide on a page. Built once
// from the parsed rules (or loaded from its file form) and never changed, so one engine may
// be read from any thread.
namespace Filters {

struct Request
{
    std::string_view url; // the full address, as the network sees it
    std::string_view firstPartyUrl; // the page's address; "" when no page asked
    std::uint16_t type = Other; // a RequestType
};

struct Decision
{
    bool blocked = false;
    // The rule that decided: the one that blocked, or the exception that let it through; -1
    // when no rule matched.
    std::int32_t rule = -1;
};

class FilterEngine final
{
public:
    explicit FilterEngine(const RuleCollection &rules);
    ~FilterEngine();
    FilterEngine(const FilterEngine &) = delete;
    FilterEngine &operator=(const FilterEngine &) = delete;

    Decision decide(const Request &request) const;
    // What the exceptions grant to the page at this address (PageDocument, PageElemhide, ...).
    // documentRule, when given, is set to the exception that grants PageDocument, or -1.
    std::uint16_t pageFlags(std::string_view pageUrl, std::int32_t *documentRule = nullptr) const;
    // The style sheet that hides what the cosmetic rules hide on the page at this address:
    // one rule per selector, so that a selector the engine does not know costs only itself.
    std::string styleSheet(std::string_view pageUrl) const;
    // The selectors of styleSheet(), in the order of the lists.
    std::vector<std::string_view> hiddenSelectors(std::string_view pageUrl) const;

    std::string_view ruleText(std::int32_t rule) const;
    const ListFigures &figures() const { return m_form.figures; }
    // The bytes the engine holds on the heap.
    std::size_t memoryUsage() const;

    // The file form: the engine as it is in memory, with a key that says what it was built
    // from and a checksum. load() answers nullptr for a file of another key, version or
    // machine, and for any damage, so that the caller builds the engine afresh.
    //
    // When keep holds the file's bytes for as long as it lives (a file mapped into memory),
    // the engine reads its arrays where they lie in the file, so that only the pages that
    // lookups touch need be in memory; otherwise it keeps a copy of its own.
    std::string save(std::string_view key) const;
    static std::unique_ptr<FilterEngine> load(std::string_view file, std::string_view key,
                                              std::shared_ptr<const void> keep = {});

    // A rule's text and domains run to where the next rule's start: the last rule's to the
    // end of texts, and to ruleDomainsEnd.
    struct CompiledRule
    {
        std::uint32_t text = 0; // in texts
        std::uint32_t domains = 0;
        // The pattern lies in the line, as written; lines are at most MaxLineLength long.
        std::uint16_t pattern = 0, patternLength = 0;
        std::uint16_t types = 0;
        std::uint16_t flags = 0; // RuleFlags, and the PatternAnchors from AnchorShift up
    };
    static constexpr int AnchorShift = 12;
    struct CompiledDomain
    {
        std::uint64_t key = 0; // the domainHash(), which is even, and 1 for a domain included
        std::uint64_t hash() const { return key & ~std::uint64_t(1); }
        bool include() const { return key & 1; }
    };
    // The arrays as they are built, and as they are read where they lie in the file form.
    template<typename T> using Owned = std::vector<T>;
    template<typename T> using View = std::span<const T>;
    // Rules by one token that every address they match holds whole; rules without such a
    // token are tried for every address.
    template<template<typename> class Array> struct Index
    {
        // Where each bucket's rules start, and the end. A token's bucket is tokenBucket();
        // marks hold a byte of each rule's token, which rules of other tokens in the bucket
        // seldom share.
        Array<std::uint32_t> buckets;
        Array<std::uint32_t> rules;
        Array<std::uint8_t> marks;
        Array<std::uint32_t> untokenized;
    };
    using TokenIndex = Index<View>;
    // A selector and its domains run to where the next rule's start: the last one's to the
    // end of strings and of domains.
    struct CompiledCosmetic
    {
        std::uint32_t selector = 0;
        std::uint32_t domains = 0;
    };
    // A cosmetic rule by a site it names: the high half of the site's hash, which the rule's
    // own domains then confirm.
    struct DomainKey
    {
        std::uint32_t hash = 0;
        std::uint32_t rule = 0;
    };
    // Everything the engine knows, in the order of the file form.
    template<template<typename> class Array, typename Text> struct Form
    {
        Text strings;
        Array<CompiledRule> rules;
        Array<CompiledDomain> domains;
        Index<Array> block; // blocking rules
        Index<Array> important; // blocking rules that exceptions do not undo
        Index<Array> allow; // exceptions for requests
        Index<Array> page; // exceptions for pages
        Array<CompiledCosmetic> cosmetic;
        Array<std::uint32_t> genericHide; // rules for every site, but those they exclude
        Array<DomainKey> specificHide; // by each site a rule names, sorted
        Array<DomainKey> hideExceptions;
        // The rules' own lines; the patterns are read where they lie in them.
        Text texts;
        // The bits of every token the indexes hold, by tokenBit(), so that most of a long
        // address's words are passed over without a lookup.
        Array<std::uint64_t> knownTokens;
        ListFigures figures;
        std::uint64_t ruleDomainsEnd = 0;
        std::uint8_t entities = 0; // whether any rule names a site as "name.*"
    };
    using Built = Form<Owned, std::string>;
    static std::uint8_t tokenMark(std::uint32_t token) { return std::uint8_t(token); }
    static std::size_t tokenBucket(std::uint32_t token, std::size_t bucketCount)
    {
        // The high bits of a multiple, so that tokens alike in their low bits still spread.
        return std::size_t((std::uint64_t(token) * 2654435769u) & 0xffffffffu) * bucketCount >> 32;
    }

private:
    FilterEngine();
    struct Context;
    // The page at this address as its own first party, in this thread's buffers.
    Context pageContext(std::string_view pageUrl) const;
    std::uint16_t pageFlags(const Context &page, std::int32_t *documentRule) const;
    // pageFlags() of the page, and the keys of its site, from one reading of its address.
    std::uint16_t pageFlags(std::string_view pageUrl, std::vector<std::uint64_t> &site) const;
    template<typename Accept>
    std::int32_t findMatch(const TokenIndex &index, const Context &context, Accept accept) const;
    bool matches(const CompiledRule &rule, const Context &context) const;
    bool appliesOn(std::uint32_t domains, std::uint32_t count,
                   const std::vector<std::uint64_t> &site) const;
    // The hashes a host's domain lists are looked up by, the most specific first.
    void siteKeys(std::string_view host, std::vector<std::uint64_t> &keys) const;
    std::string_view patternOf(const CompiledRule &rule) const
    {
        return m_form.texts.substr(std::size_t(rule.text) + rule.pattern, rule.patternLength);
    }
    // Lays the built arrays out as the file form's payload, and attaches a copy of its own.
    void adopt(const Built &built);
    // Points the arrays into the file form's payload; false when it does not hold them all.
    bool attach(std::string_view payload);
    // The same, into a copy of the payload that the engine owns.
    bool attachCopy(std::string_view payload);
    void compileRegexes();
    std::uint32_t textEnd(std::size_t rule) const
    {
        return rule + 1 < m_form.rules.size() ? m_form.rules[rule + 1].text
                                              : std::uint32_t(m_form.texts.size());
    }
    std::string_view selectorOf(std::size_t rule) const
    {
        const std::uint32_t begin = m_form.cosmetic[rule].selector;
        const std::uint32_t end = rule + 1 < m_form.cosmetic.size()
            ? m_form.cosmetic[rule + 1].selector
            : std::uint32_t(m_form.strings.size());
        return m_form.strings.substr(begin, end - begin);
    }
    std::uint32_t cosmeticDomainsEnd(std::size_t rule) const
    {
        return rule + 1 < m_form.cosmetic.size() ? m_form.cosmetic[rule + 1].domains
                                                 : std::uint32_t(m_form.domains.size());
    }
    std::uint32_t domainsEnd(std::size_t rule) const
    {
        return rule + 1 < m_form.rules.size() ? m_form.rules[rule + 1].domains
                                              : std::uint32_t(m_form.ruleDomainsEnd);
    }
    bool isSound() const;

    std::shared_ptr<const void> m_keep; // what holds the payload when it is not m_owned
    std::vector<std::uint64_t> m_owned; // eight-byte words, so that every array is aligned
    std::string_view m_payload;
    Form<View, std::string_view> m_form;
    // The compiled expressions of the regular-expression rules, by rule; the few rules that
    // have one are listed alone, not a slot for every rule.
    std::vector<std::pair<std::uint32_t, std::unique_ptr<re2::RE2>>> m_regexes;
};

} // namespace Filters
