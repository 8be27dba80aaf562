#include "result_count.h"
#include "search_query.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

constexpr std::array<Engine, 3> engines = { Engine::Google, Engine::Yahoo, Engine::Msn };

const std::vector<std::string> sampleKeywords = {
    "golf clubs", "golf", "cheap golf clubs", "a", "", "\xe9t\xe9", "bank of america", "x-ray",
    "seo tools", "keyword research", "c++", "100%", "new york hotels", "AT", "the", "zzzzzz",
};

bool HasThreeSignificantDigitsAtMost(uint64_t value)
{
    while (value >= 1000) {
        if (value % 10 != 0)
            return false;
        value /= 10;
    }
    return true;
}

TEST(ResultCountTest, CountsStayInTheirRangeAndPreciseNeverExceedsBroad)
{
    for (Engine engine : engines) {
        for (int i = 0; i < 2000; ++i) {
            std::string keyword = "keyword " + std::to_string(i);
            uint64_t broad = BroadResultCount(engine, keyword);
            uint64_t precise = PreciseResultCount(engine, keyword);
            EXPECT_GE(broad, 1000u) << keyword;
            EXPECT_LE(broad, 999000000u) << keyword;
            EXPECT_GE(precise, 1u) << keyword;
            EXPECT_LE(precise * 10, broad * 6) << keyword << ": precise above 60% of broad";
            EXPECT_TRUE(HasThreeSignificantDigitsAtMost(broad)) << broad;
            EXPECT_TRUE(HasThreeSignificantDigitsAtMost(precise)) << precise;
        }
    }
}

TEST(ResultCountTest, SameInputGivesSameCountAndLetterCaseDoesNotMatter)
{
    for (Engine engine : engines) {
        EXPECT_EQ(BroadResultCount(engine, "Golf CLUBS"), BroadResultCount(engine, "golf clubs"));
        EXPECT_EQ(PreciseResultCount(engine, "GOLF clubs"), PreciseResultCount(engine, "golf clubs"));
        // Only ASCII letters have a case: a byte above 127 is a different keyword.
        EXPECT_NE(BroadResultCount(engine, "\xc9t\xe9"), BroadResultCount(engine, "\xe9t\xe9"));
    }
    // The worked example of README.md: the rule must not change between runs, builds or
    // machines.
    EXPECT_EQ(BroadResultCount(Engine::Google, "golf clubs"), 814000000u);
    EXPECT_EQ(PreciseResultCount(Engine::Google, "golf clubs"), 229000000u);
    EXPECT_EQ(BroadResultCount(Engine::Yahoo, "golf clubs"), 606000u);
    EXPECT_EQ(PreciseResultCount(Engine::Yahoo, "golf clubs"), 305000u);
    EXPECT_EQ(BroadResultCount(Engine::Msn, "golf clubs"), 8800u);
    EXPECT_EQ(PreciseResultCount(Engine::Msn, "golf clubs"), 3280u);
    EXPECT_EQ(KeywordHash(Engine::Google, "golf clubs"), Fnv1a64("google:golf clubs"));
    EXPECT_EQ(Fnv1a64(""), 14695981039346656037ull);
    EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
}

TEST(ResultCountTest, EnginesGiveDifferentFiguresForTheSameKeyword)
{
    int allDifferent = 0;
    for (const std::string& keyword : sampleKeywords) {
        std::set<uint64_t> figures;
        for (Engine engine : engines)
            figures.insert(BroadResultCount(engine, keyword));
        allDifferent += figures.size() == engines.size();
    }
    // Independent hashes may agree by chance (about one keyword in 5400), never for most.
    EXPECT_GE(allDifferent, static_cast<int>(sampleKeywords.size()) - 1);
}

TEST(ResultCountTest, QueryModeChoosesTheCount)
{
    for (Engine engine : engines) {
        EXPECT_EQ(ResultCount(engine, ReadSearchQuery("\"golf clubs\"")), PreciseResultCount(engine, "golf clubs"));
        EXPECT_EQ(ResultCount(engine, ReadSearchQuery("golf clubs")), BroadResultCount(engine, "golf clubs"));
    }
}

TEST(ResultCountTest, ThousandsSeparators)
{
    struct Case {
        uint64_t Value;
        const char* Text;
    };
    const Case cases[] = {
        { 0, "0" }, { 7, "7" }, { 999, "999" }, { 1000, "1,000" }, { 12300, "12,300" },
        { 123000, "123,000" }, { 12300000, "12,300,000" }, { 999000000, "999,000,000" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithThousandsSeparators(c.Value), c.Text);
}

}
