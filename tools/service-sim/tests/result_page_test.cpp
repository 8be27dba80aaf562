#include "html_text.h"
#include "marker_cut.h"
#include "result_count.h"
#include "result_page.h"

#include <gtest/gtest.h>

namespace {

struct EngineCase {
    Engine Which;
    const CountMarkers* Markers;
};

const EngineCase engineCases[] = {
    { Engine::Google, &googleMarkers },
    { Engine::Yahoo, &yahooMarkers },
    { Engine::Msn, &msnMarkers },
};

std::string Page(Engine engine, const std::string& keyword, bool precise, PageFeatures features = PageFeatures::Present)
{
    return RenderResultPage(engine, MakeResultPage(engine, SearchQuery { keyword, precise }, features));
}

std::size_t Occurrences(std::string_view text, std::string_view part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Keywords that try to put a marker of some engine into the page ahead of the count.
const std::vector<std::string> keywords = {
    "golf clubs",
    "bank of america",
    "proof of concept for Of course",
    "of about <b>7</b>",
    "OF ABOUT <B>7</B> for x",
    "\"infotext\">of 1 for ",
    "<span id=\"count\">1 of 2</span>",
    "<font size=-1>Results of about <b>3</b>",
    "caf\xe9 cr\xe8me",
    "",
    "a&b",
};

TEST(ResultPageTest, TheProgramsMarkersReadTheCountForEveryEngineKeywordAndMode)
{
    for (const EngineCase& engine : engineCases) {
        for (const std::string& keyword : keywords) {
            for (bool precise : { false, true }) {
                SearchQuery query { keyword, precise };
                std::string expected = WithThousandsSeparators(ResultCount(engine.Which, query));
                EXPECT_EQ(ReadCount(Page(engine.Which, keyword, precise), *engine.Markers), expected)
                    << EngineName(engine.Which) << " keyword [" << keyword << "] precise " << precise;
            }
        }
    }
}

TEST(ResultPageTest, PageWithoutMarkersGivesTheProgramNothingToRead)
{
    for (const EngineCase& engine : engineCases) {
        for (const char* keyword : { "golf clubs", "seo", "new york hotels", "x" }) {
            for (bool precise : { false, true }) {
                std::string page = Page(engine.Which, keyword, precise, PageFeatures::Absent);
                EXPECT_EQ(ReadCount(page, *engine.Markers), "") << EngineName(engine.Which) << " " << keyword;
                EXPECT_NE(page.find("</body></html>"), std::string::npos);
            }
        }
    }
}

TEST(ResultPageTest, PageShowsTheQueryEscapedInTitleAndSearchBox)
{
    for (const EngineCase& engine : engineCases) {
        std::string page = Page(engine.Which, "fish & <chips>", true);
        std::string shown = "&quot;fish &amp; &lt;chips&gt;&quot;";
        EXPECT_NE(page.find("<title>" + shown + " - "), std::string::npos) << EngineName(engine.Which);
        EXPECT_NE(page.find("value=\"" + shown + "\""), std::string::npos) << EngineName(engine.Which);
        EXPECT_EQ(page.find("<chips>"), std::string::npos) << EngineName(engine.Which);
    }
}

TEST(ResultPageTest, PageListsTenEntriesMadeFromTheKeyword)
{
    for (const EngineCase& engine : engineCases) {
        std::string page = Page(engine.Which, "Golf Clubs", false);
        EXPECT_GE(Occurrences(page, "<b>Golf Clubs</b>"), 10u) << EngineName(engine.Which); // in every snippet
        EXPECT_EQ(Occurrences(page, "href=\"http://"), 10u) << EngineName(engine.Which);
        EXPECT_NE(page.find("www.golf-clubs.com"), std::string::npos) << EngineName(engine.Which);
    }
}

TEST(ResultPageTest, FewerEntriesThanTenWhenTheCountIsSmaller)
{
    // Find a keyword whose precise count is below ten, and check the page lists that many.
    for (int i = 0; i < 200000; ++i) {
        std::string keyword = "rare " + std::to_string(i);
        uint64_t count = PreciseResultCount(Engine::Msn, keyword);
        if (count >= 10)
            continue;
        std::string page = Page(Engine::Msn, keyword, true);
        EXPECT_EQ(Occurrences(page, "href=\"http://"), count);
        EXPECT_NE(page.find("1-" + std::to_string(count) + " of "), std::string::npos);
        return;
    }
    FAIL() << "no keyword with a precise count below ten found";
}

TEST(ResultPageTest, SameQueryGivesTheSamePageAndEnginesDiffer)
{
    EXPECT_EQ(Page(Engine::Yahoo, "golf clubs", true), Page(Engine::Yahoo, "golf clubs", true));
    EXPECT_NE(Page(Engine::Yahoo, "golf clubs", true), Page(Engine::Yahoo, "golf clubs", false));
    EXPECT_NE(Page(Engine::Google, "golf clubs", false), Page(Engine::Msn, "golf clubs", false));
}

TEST(HtmlTextTest, EscapingEncodingAndSlugs)
{
    EXPECT_EQ(HtmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&#39;");
    EXPECT_EQ(FormEncode("\"golf clubs\"/\xe9"), "%22golf+clubs%22%2F%E9");
    EXPECT_EQ(Slug("  Golf  Clubs!! 2008 "), "golf-clubs-2008");
    EXPECT_EQ(Slug("\xe9\xe8 &"), "web");
}

}
