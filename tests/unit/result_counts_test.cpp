#include "core/result_counts.h"

#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "core/service_profile_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

ServiceAddresses LocalRoots()
{
    ServiceAddresses roots;
    roots.GoogleURL = "http://g.test";
    roots.YahooURL = "http://y.test:8080";
    roots.MsnURL = "http://m.test";
    return roots;
}

// The built-in engines with local roots.
const std::vector<EngineProfile>& LocalEngines()
{
    static const std::vector<EngineProfile> engines =
        BuiltInProfile({IniFile::FromText({}), LocalRoots()}).Engines;
    return engines;
}

struct UrlCase {
    int Engine;
    const char* Keyword;
    int Mode;
    const char* Url;
};

class SearchRequestTest : public testing::TestWithParam<UrlCase> {};

TEST_P(SearchRequestTest, FollowsTheEngineTable)
{
    const UrlCase& c = GetParam();
    EXPECT_EQ(SearchRequestURL(LocalEngines()[c.Engine], c.Keyword, c.Mode), c.Url);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SearchRequestTest,
    testing::Values(UrlCase{0, "golf clubs", 0, "http://g.test/search?q=%22golf+clubs%22"},
                    UrlCase{0, "golf clubs", 1, "http://g.test/search?q=golf+clubs"},
                    UrlCase{1, "golf clubs", 0, "http://y.test:8080/search?p=%22golf+clubs%22"},
                    UrlCase{1, "golf", 1, "http://y.test:8080/search?p=golf"},
                    UrlCase{2, "golf clubs", 0, "http://m.test/results.aspx?q=%22golf+clubs%22"},
                    UrlCase{2, " c# &x ", 1, "http://m.test/results.aspx?q=+c#+&x+"}));

struct CountCase {
    const char* Name;
    int Engine;
    std::string Page;
    std::string Count;
};

class ReadResultCountTest : public testing::TestWithParam<CountCase> {};

TEST_P(ReadResultCountTest, SkipsThenTakes)
{
    EXPECT_EQ(ReadResultCount(LocalEngines()[GetParam().Engine], GetParam().Page), GetParam().Count);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadResultCountTest,
    testing::Values(
        CountCase{"Google", 0, "<font size=-1>Results <b>1</b> - <b>10</b> of about <b>12,300</b> for", "12,300"},
        CountCase{"GoogleSkipsAnEarlierValue", 0, "of about <b>1</b> ... <font size=-1>Results of about <b>2</b>", "2"},
        CountCase{"GoogleWithoutSkipMarker", 0, "x of about <b>77</b> y of about <b>88</b>", "77"},
        CountCase{"MarkersIgnoreCase", 0, "<FONT SIZE=-1>RESULTS OF ABOUT <B>9,9</B>", "9,9"},
        CountCase{"Yahoo", 1, "<p class=\"infotext\">1 - 10 of 4,560 for <b>golf</b>", "4,560"},
        CountCase{"Msn", 2, "<span id=\"count\">1-10 of 789</span>", "789"},
        CountCase{"NotCleaned", 2, "<span id=\"count\"> of <b>7</b> </span>", "<b>7</b> "},
        CountCase{"NoMarkers", 0, "<html>nothing here</html>", ""},
        CountCase{"ValueEndMissing", 1, "\"infotext\">of 12", ""}),
    [](const testing::TestParamInfo<CountCase>& info) { return info.param.Name; });

const std::string GooglePage = "<font size=-1>Results of about <b>100</b>";
const std::string YahooPage = "\"infotext\">1 of 200 for x";
const std::string MsnPage = "<span id=\"count\">1 of 300</span>";

// Keeps the fetch contract: with the stop flag set a fetch is refused without a
// request; a failure sets the flag.
class ScriptedHost : public GatherHost {
public:
    std::vector<std::string> Requests;
    std::function<bool(const std::string& url, std::string& page)> Answer = [](const std::string& url,
                                                                            std::string& page) {
        page = url.find("g.test") != std::string::npos ? GooglePage
             : url.find("y.test") != std::string::npos ? YahooPage
                                                       : MsnPage;
        return true;
    };
    bool Stop = false;
    int Pumps = 0;

    bool FetchPage(const std::string& url, std::string& page) override
    {
        if (Stop)
            return false;
        Requests.push_back(url);
        page.clear();
        if (!Answer(url, page)) {
            Stop = true;
            page.clear();
            return false;
        }
        return true;
    }
    bool FetchPageWith(const std::string& url, const std::vector<std::string>& headers, std::string& page) override
    {
        Headers[url] = headers;
        return FetchPage(url, page);
    }
    bool StopRequested() const override { return Stop; }
    std::map<std::string, std::vector<std::string>> Headers;
    void PumpMessages() override { ++Pumps; }
    void ShowRunPosition(int row, int rows) override { Positions.push_back(RunPositionText(row, rows)); }

    std::vector<std::string> Positions;
};

class GatherSearchCountsTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* keyword : {"golf", "golf clubs", "soccer", "tennis"})
            list.AppendRow(list.CountRows() + 1, keyword, "");
    }

    std::vector<std::string> Counts(int row)
    {
        return {list.CellText(row, KeywordRow::Google), list.CellText(row, KeywordRow::Yahoo),
                list.CellText(row, KeywordRow::Msn)};
    }

    KeywordList list;
    ScriptedHost host;
};

TEST_F(GatherSearchCountsTest, FillsEveryRowTickedOrNotAndPumpsAfterEachCell)
{
    list.SetRowTicked(1, true);
    GatherSearchCounts(list, host, LocalEngines(), 0);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Counts(row), (std::vector<std::string>{"100", "200", "300"})) << row;
    EXPECT_EQ(host.Requests.size(), 12u);
    EXPECT_EQ(host.Requests[3], "http://g.test/search?q=%22golf+clubs%22");
    EXPECT_EQ(host.Pumps, 12);
    EXPECT_EQ(host.Positions, (std::vector<std::string>{"Row 1 of 4", "Row 2 of 4", "Row 3 of 4", "Row 4 of 4"}));
}

TEST_F(GatherSearchCountsTest, APageWithoutMarkersEmptiesAnOldFigure)
{
    list.SetCellText(0, KeywordRow::Yahoo, "999");
    host.Answer = [](const std::string& url, std::string& page) {
        page = url.find("y.test") != std::string::npos ? "<html>busy</html>" : GooglePage;
        return true;
    };
    GatherSearchCounts(list, host, LocalEngines(), 1);
    EXPECT_EQ(list.CellText(0, KeywordRow::Yahoo), "");
    EXPECT_EQ(host.Requests.size(), 12u);
}

TEST_F(GatherSearchCountsTest, AFailedFirstRequestEndsTheRunUntouched)
{
    list.SetCellText(0, KeywordRow::Google, "old");
    host.Answer = [](const std::string&, std::string&) { return false; };
    GatherSearchCounts(list, host, LocalEngines(), 0);
    EXPECT_EQ(host.Requests.size(), 1u);
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"old", "", ""}));
    for (int row = 1; row < 4; ++row)
        EXPECT_EQ(Counts(row), (std::vector<std::string>{"", "", ""}));
}

TEST_F(GatherSearchCountsTest, AStopWhileYahooOfRowThreeIsAskedLeavesTheRest)
{
    list.SetCellText(2, KeywordRow::Yahoo, "old yahoo");
    int yahooAsked = 0;
    host.Answer = [&](const std::string& url, std::string& page) {
        if (url.find("y.test") != std::string::npos && ++yahooAsked == 3) {
            host.Stop = true; // the Stop click, handled while the request waits
            return false;
        }
        page = url.find("g.test") != std::string::npos ? GooglePage : url.find("y.test") != std::string::npos ? YahooPage : MsnPage;
        return true;
    };
    GatherSearchCounts(list, host, LocalEngines(), 0);
    EXPECT_EQ(Counts(2), (std::vector<std::string>{"100", "old yahoo", ""}));
    EXPECT_EQ(Counts(3), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(host.Requests.size(), 8u);
    // The position names the row being asked, and no row after the stop.
    EXPECT_EQ(host.Positions, (std::vector<std::string>{"Row 1 of 4", "Row 2 of 4", "Row 3 of 4"}));
}

TEST_F(GatherSearchCountsTest, TheStopFlagIsCheckedAfterEveryCell)
{
    host.Answer = [&](const std::string&, std::string& page) {
        page = GooglePage;
        host.Stop = true; // a Stop click handled in the pump after the Google cell
        return true;
    };
    GatherSearchCounts(list, host, LocalEngines(), 0);
    EXPECT_EQ(Counts(0), (std::vector<std::string>{"100", "", ""}));
    EXPECT_EQ(host.Requests.size(), 1u);
}

TEST_F(GatherSearchCountsTest, KeywordsAreReadAfreshForEachEngine)
{
    host.Answer = [&](const std::string& url, std::string& page) {
        if (url.find("g.test") != std::string::npos && list.CellText(0, 0) == "golf")
            list.SetCellText(0, KeywordRow::Keywords, "changed");
        page = GooglePage;
        return true;
    };
    GatherSearchCounts(list, host, LocalEngines(), 1);
    EXPECT_EQ(host.Requests[1], "http://y.test:8080/search?p=changed");
}

// Four engines of four kinds, each count into its own column, in profile order.
class ProfileEnginesTest : public testing::Test {
protected:
    void SetUp() override
    {
        const ServiceAddresses roots = LocalRoots();
        const IniFile profile = IniFile::FromText(
            "[Engine1]\nName=Markers\nPrecise=http://mk.test/c?q={keyword}\nSkip=<p>\nStart=<b>\nEnd=</b>\n"
            "[Engine2]\nName=JSON\nPrecise=http://js.test/api?q=%22{keyword:url}%22\nFormat=json\n"
            "Count=/searchInformation/totalResults\nKey=K1\nHeader1=X-Api-Key: {key}\n"
            "[Engine4]\nName=Url\nPrecise=http://u.test/s?q={keyword:url}&x=1\nStart=[\nEnd=]\n"
            "[Engine3]\nName=Google\nPrecise={root:GoogleURL}/search?q=%22{keyword}%22\n"
            "Broad={root:GoogleURL}/search?q={keyword}\nSkip=<font size=-1>Results\nStart=of about <b>\nEnd=</b>\n");
        const ProfileLoad load = ReadServiceProfile(profile, "four.ini", {IniFile::FromText({}), roots});
        ASSERT_TRUE(load.Errors.empty()) << load.Errors.front();
        engines = load.Profile.Engines;
        std::vector<std::string> names;
        for (const EngineProfile& engine : engines)
            names.push_back(engine.Name);
        list.SetEngineNames(names);
        list.AppendRow(1, "caf\xc3\xa9 golf", "");
        host.Answer = [this](const std::string& url, std::string& page) {
            page = url.find("mk.test") != std::string::npos ? "<b>0</b><p>of <b>11</b>"
                 : url.find("js.test") != std::string::npos ? jsonPage
                 : url.find("g.test") != std::string::npos ? GooglePage
                                                           : "x [44] y";
            return true;
        };
    }

    std::vector<std::string> Cells()
    {
        std::vector<std::string> cells;
        for (int cell = KeywordRow::FirstEngineCell; cell < list.CellCount(); ++cell)
            cells.push_back(list.CellText(0, cell));
        return cells;
    }

    std::vector<EngineProfile> engines;
    KeywordList list;
    ScriptedHost host;
    std::string jsonPage = R"({"searchInformation":{"totalResults":"1,234,567"}})";
};

TEST_F(ProfileEnginesTest, EachEngineIsAskedInProfileOrderWithItsOwnRequest)
{
    GatherSearchCounts(list, host, engines, 0);
    EXPECT_EQ(host.Requests, (std::vector<std::string>{"http://mk.test/c?q=caf\xc3\xa9+golf",
                                                      "http://js.test/api?q=%22caf%C3%A9%20golf%22",
                                                      "http://g.test/search?q=%22caf\xc3\xa9+golf%22",
                                                      "http://u.test/s?q=caf%C3%A9%20golf&x=1"}));
    ASSERT_EQ(host.Headers.size(), 1u) << "only the engine with header lines sends any";
    EXPECT_EQ(host.Headers["http://js.test/api?q=%22caf%C3%A9%20golf%22"], std::vector<std::string>{"X-Api-Key: K1"});
    EXPECT_EQ(Cells(), (std::vector<std::string>{"11", "1,234,567", "100", "44"}));
}

TEST_F(ProfileEnginesTest, AnAnswerThatIsNotJsonEmptiesTheJsonCell)
{
    list.SetCellText(0, 3, "old");
    for (const std::string& page : {std::string("<html>Forbidden: bad key</html>"), std::string(R"({"searchInformation":{"totalResults":{}}})"),
                                   std::string(100000, '[')}) {
        jsonPage = page;
        GatherSearchCounts(list, host, engines, 1);
        EXPECT_EQ(list.CellText(0, 3), "") << page.substr(0, 40);
        EXPECT_EQ(list.CellText(0, 2), "11");
    }
}

TEST_F(ProfileEnginesTest, OnlyTheEnginesWithAColumnAreAsked)
{
    list.SetEngineNames({"Markers", "JSON"});
    GatherSearchCounts(list, host, engines, 0);
    EXPECT_EQ(host.Requests.size(), 2u);
}

} // namespace
