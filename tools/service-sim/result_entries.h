// The result entries shown under a results header: plausible titles, addresses and
// snippets made from the keyword. Their wording never holds a word that ends in "of"
// before a space, so that no count marker can appear in them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ResultEntry {
    std::string Title;   // HTML, the keyword escaped
    std::string Address; // host and path, without "http://"
    std::string Snippet; // HTML, the keyword escaped and in bold
};

constexpr std::size_t EntryTemplateCount = 10;

// `count` entries (at most EntryTemplateCount), from the template numbered `first`
// onwards, wrapping round.
std::vector<ResultEntry> MakeResultEntries(std::string_view keyword, std::size_t first, std::size_t count);
