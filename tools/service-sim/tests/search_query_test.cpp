#include "search_query.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchQueryTest, QuotesMakeAPhraseSearch)
{
    struct Case {
        const char* Value;
        const char* Keyword;
        bool Precise;
    };
    const Case cases[] = {
        { "golf clubs", "golf clubs", false },
        { "\"golf clubs\"", "golf clubs", true },
        { "\"golf", "golf", true },          // a "#" in the keyword cut the closing quote off
        { "\"\"", "", true },
        { "\"", "", true },
        { "", "", false },
        { "golf \"clubs\"", "golf \"clubs\"", false },
    };
    for (const Case& c : cases) {
        SearchQuery query = ReadSearchQuery(c.Value);
        EXPECT_EQ(query.Keyword, c.Keyword) << c.Value;
        EXPECT_EQ(query.Precise, c.Precise) << c.Value;
    }
    EXPECT_EQ(ReadSearchQuery("\"golf clubs\"").Display(), "\"golf clubs\"");
    EXPECT_EQ(ReadSearchQuery("golf clubs").Display(), "golf clubs");
}

}
