// The phrases the suggestion service offers for a seed keyword, each with the number of
// searches it "had". Everything depends only on the seed (ASCII letters lower-cased), so
// every run gives the same table; the rule is written out in README.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Suggestion {
    std::string Phrase; // plain text: what a reader sees once the markup is cleaned away
    std::string Html;   // as the page writes it: the seed escaped, with entities and markup
    uint64_t Searches = 0;
};

// Longer seeds are cut to this many bytes: a whole table of a head-sized seed would be
// tens of megabytes for nothing.
constexpr std::size_t maximumSeedLength = 1000;

// Between 30 and 50 suggestions, the seed itself first, sorted by searches (most first).
// A seed that is empty or only blanks has none.
std::vector<Suggestion> MakeSuggestions(std::string_view seed);

// The number of templates a suggestion is made from (the seed itself included).
std::size_t SuggestionTemplateCount();
