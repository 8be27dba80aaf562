#include "result_count.h"

#include "ascii.h"
#include "search_query.h"

uint64_t Fnv1a64(std::string_view bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

uint64_t KeywordHash(Engine engine, std::string_view keyword)
{
    std::string key(EngineName(engine));
    key += ':';
    key += AsciiLowered(keyword);
    return Fnv1a64(key);
}

static uint64_t PowerOfTen(unsigned exponent)
{
    uint64_t value = 1;
    while (exponent-- > 0)
        value *= 10;
    return value;
}

static uint64_t RoundDownToThreeDigits(uint64_t value)
{
    uint64_t unit = 1;
    while (value / unit >= 1000)
        unit *= 10;
    return value / unit * unit;
}

uint64_t BroadResultCount(Engine engine, std::string_view keyword)
{
    uint64_t hash = KeywordHash(engine, keyword);
    unsigned exponent = 3 + static_cast<unsigned>(hash % 6);
    uint64_t mantissa = 100 + (hash / 6) % 900;
    return mantissa * PowerOfTen(exponent - 2);
}

uint64_t PreciseResultCount(Engine engine, std::string_view keyword)
{
    uint64_t hash = KeywordHash(engine, keyword);
    uint64_t permille = 1 + (hash / 5400) % 600;
    return RoundDownToThreeDigits(BroadResultCount(engine, keyword) * permille / 1000);
}

uint64_t ResultCount(Engine engine, const SearchQuery& query)
{
    return query.Precise ? PreciseResultCount(engine, query.Keyword) : BroadResultCount(engine, query.Keyword);
}

std::string WithThousandsSeparators(uint64_t value)
{
    std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}
