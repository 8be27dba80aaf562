// The result counts the simulated engines report. They depend only on the engine, the
// keyword (ASCII letters lower-cased) and the search mode, so every run gives the same
// figures; the rule is written out in README.md.
#pragma once

#include "engine.h"

#include <cstdint>
#include <string>
#include <string_view>

struct SearchQuery;

// 64-bit FNV-1a of the bytes.
uint64_t Fnv1a64(std::string_view bytes);

// The hash every figure of an engine's page is derived from: Fnv1a64 of the engine name,
// a colon and the lower-cased keyword.
uint64_t KeywordHash(Engine engine, std::string_view keyword);

// Between 1,000 and 999,000,000, three significant digits.
uint64_t BroadResultCount(Engine engine, std::string_view keyword);
// Between 1 and 60% of the broad count, three significant digits; never above it.
uint64_t PreciseResultCount(Engine engine, std::string_view keyword);
uint64_t ResultCount(Engine engine, const SearchQuery& query);

// 12300000 -> "12,300,000".
std::string WithThousandsSeparators(uint64_t value);
