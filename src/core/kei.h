// The Keyword Effectiveness Index of a row for one engine: searches squared divided by
// the engine's result count.
#pragma once

#include "core/keyword_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Digits a count may have. Search and result counts stay far below 10^15, and with at
// most 15 digits the exact arithmetic below cannot overflow.
constexpr std::size_t MaxCountDigits = 15;

// A count as the pages write it: digits, possibly with thousands separators (",") and
// surrounding blanks. Anything else, or no digit at all, has no value.
std::optional<uint64_t> CountValue(std::string_view text);

// Searches² ÷ results with two decimals (a half rounded up), no thousands separators;
// empty when either count has no value or the results are 0.
std::string KeiText(std::string_view searches, std::string_view results);

// Sorts the rows by the KEI of engine `engine` (stably); rows without a KEI sort below
// every value.
void SortByKei(KeywordList& list, int engine, bool ascending);
