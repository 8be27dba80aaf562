#include "core/count_engine.h"
#include "core/result_counts.h"

#include <gtest/gtest.h>

namespace {

// The lanes ask the built-in engines exactly as the one-after-another run does, and name
// them as their columns do.
TEST(BuiltInCountEngines, AskAndReadAsTheEngineTable)
{
    ServiceAddresses roots;
    roots.GoogleURL = "http://g.test";
    roots.YahooURL = "http://y.test:8080";
    roots.MsnURL = "https://m.test";
    const std::vector<CountEngine> engines = BuiltInCountEngines(roots);
    ASSERT_EQ(engines.size(), std::size(SearchEngines));
    const char* const names[] = {"Google", "Yahoo", "Msn"};
    const std::string pages[] = {"<font size=-1>Results 1 - 10 of about <b>1,100</b> for",
                                 "\"infotext\">1 - 10 of 2,200 for golf", "<span id=\"count\">1-10 of 3,300</span>",
                                 "no markers at all"};
    for (size_t index = 0; index < engines.size(); ++index) {
        const CountEngine& engine = engines[index];
        SCOPED_TRACE(names[index]);
        EXPECT_EQ(engine.Name, names[index]);
        EXPECT_EQ(engine.Cell, SearchEngines[index].Cell);
        for (const char* keyword : {"golf clubs", "c# tips", ""})
            for (int mode : {0, 1})
                EXPECT_EQ(engine.RequestURL(keyword, mode), SearchRequestURL(SearchEngines[index], roots, keyword, mode));
        for (const std::string& page : pages)
            EXPECT_EQ(engine.ReadCount(page), ReadResultCount(SearchEngines[index], page));
        EXPECT_EQ(engine.Delay, 0);
        EXPECT_EQ(engine.Jitter, 0);
        EXPECT_EQ(engine.Blocked, "");
    }
}

} // namespace
