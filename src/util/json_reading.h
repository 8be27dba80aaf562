// Values read out of a JSON page by JSON pointer: a result count, or the phrases and
// counts of a suggestion list. The page is walked as a stream of events, never built
// into a tree, so a page of any size costs only the values kept, and nesting deeper than
// MaxJsonDepth ends the reading.
#pragma once

#include "util/json_pointer.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Real answers nest a handful of levels; a page nested deeper is hostile or broken.
inline constexpr std::size_t MaxJsonDepth = 128;
// The largest count ever printed has a few dozen characters; a longer text is no count.
inline constexpr std::size_t MaxCountTextLength = 40;

// The count as the page writes it, or empty: a string of digits, alone or grouped in
// threes by "," "." " " or "'" (the same one throughout), exactly as written; a
// non-negative whole number in its decimal digits. Anything else at the pointer
// (an object, a fraction, a negative number, other text), no value there, a page that
// is not JSON up to that value, or nesting past MaxJsonDepth: empty.
std::string ReadJsonCount(std::string_view page, const JsonPointer& count);

struct JsonSuggestion {
    std::string Phrase;
    std::string Count; // empty when the item has none
    bool operator==(const JsonSuggestion&) const = default;
};

// One entry per element of the array at `items` whose `phrase` (relative to the element;
// empty pointer: the element itself) is a string, in page order. `count`, when given, is
// read inside the element by the rules of ReadJsonCount. Nothing when `items` names no
// array or the page is not JSON up to the array's end.
std::vector<JsonSuggestion> ReadJsonSuggestions(std::string_view page, const JsonPointer& items,
                                                const JsonPointer& phrase, const std::optional<JsonPointer>& count);
