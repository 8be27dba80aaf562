#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "core/gather_record.h"
#include "core/service_profile_reader.h"

#include "support/core/ascii_collator.h"

#include <gtest/gtest.h>

namespace {

// The built-in engines at these roots.
std::vector<CountEngine> Engines(const std::string& google = "http://g.test")
{
    ServiceAddresses roots;
    roots.GoogleURL = google;
    roots.YahooURL = "http://y.test";
    roots.MsnURL = "http://m.test";
    const IniFile noSettings = IniFile::FromText({});
    return ProfileCountEngines(BuiltInProfile({noSettings, roots}).Engines);
}

class GatherRecordTest : public testing::Test {
protected:
    GatherRecordTest()
    {
        for (const char* keyword : {"cherry", "apple", "banana"})
            list.AppendRow(list.CountRows() + 1, keyword, "");
    }

    KeywordList list;
    GatherRecord record;
    const std::vector<CountEngine> engines = Engines();
};

TEST_F(GatherRecordTest, NothingToContinueBeforeARunOrAfterOneThatEnded)
{
    EXPECT_FALSE(record.CanContinue(list, engines));
    record.StartRun(engines, 0);
    EXPECT_TRUE(record.CanContinue(list, engines)); // a run that never returned ended early
    record.EndRun(true);
    EXPECT_FALSE(record.CanContinue(list, engines));
}

TEST_F(GatherRecordTest, ContinueAsksEveryCellWithoutAnAnswer)
{
    record.StartRun(engines, 1);
    record.SetCell(list, 0, KeywordRow::Google, CellState::Counted);
    record.SetCell(list, 0, KeywordRow::Yahoo, CellState::NoCount);
    record.SetCell(list, 0, KeywordRow::Msn, CellState::Skipped);
    record.SetCell(list, 1, KeywordRow::Google, CellState::Failed, "Google: HTTP 500");
    record.SetCell(list, 1, KeywordRow::Yahoo, CellState::Counted);
    record.EndRun(false);

    ASSERT_TRUE(record.CanContinue(list, engines));
    EXPECT_EQ(record.SearchMode(), 1);
    const LanePlan plan = record.ContinuePlan(list, engines);
    EXPECT_EQ(plan, (LanePlan{{1, 2}, {2}, {0, 1, 2}}));
}

TEST_F(GatherRecordTest, NothingLeftMeansNothingToContinue)
{
    record.StartRun(engines, 0);
    for (int row = 0; row < 3; ++row)
        for (const CountEngine& engine : engines)
            record.SetCell(list, row, engine.Cell, row == 1 ? CellState::NoCount : CellState::Counted);
    record.EndRun(false);
    EXPECT_FALSE(record.CanContinue(list, engines));
}

TEST_F(GatherRecordTest, AStateFollowsItsRowThroughASortAndANewRowIsUnasked)
{
    record.StartRun(engines, 0);
    record.SetCell(list, 0, KeywordRow::Google, CellState::Counted); // cherry
    record.EndRun(false);
    list.SortByColumn(1, true, AsciiCaseInsensitiveCollator());
    list.AppendRow(4, "date", "");
    EXPECT_EQ(record.Cell(list, 2, KeywordRow::Google).State, CellState::Counted); // cherry, now third
    EXPECT_EQ(record.Cell(list, 0, KeywordRow::Google).State, CellState::NotAsked);
    EXPECT_EQ(record.ContinuePlan(list, engines)[0], (std::vector<int>{0, 1, 3}));
}

TEST_F(GatherRecordTest, StartingAgainForgetsTheStates)
{
    record.StartRun(engines, 0);
    record.SetCell(list, 0, KeywordRow::Google, CellState::Failed, "why");
    record.StartRun(engines, 0);
    EXPECT_EQ(record.Cell(list, 0, KeywordRow::Google).State, CellState::NotAsked);
}

TEST_F(GatherRecordTest, ContinuingIsRefusedWhenTheRequestsChanged)
{
    record.StartRun(engines, 0);
    record.EndRun(false);
    EXPECT_TRUE(record.SameRequests(Engines()));
    EXPECT_FALSE(record.SameRequests(Engines("http://other.test")));

    GatherRecord broad;
    broad.StartRun(engines, 1);
    EXPECT_TRUE(broad.SameRequests(engines));
    std::vector<CountEngine> fewer(engines.begin(), engines.begin() + 2);
    EXPECT_FALSE(broad.SameRequests(fewer));
}

TEST(CellStateNote, SaysWhatIsNotACount)
{
    const struct {
        CellRecord Record;
        const char* Note;
    } cases[] = {
        {{CellState::NotAsked, ""}, ""},
        {{CellState::Counted, ""}, ""},
        {{CellState::NoCount, ""}, "No count on the page"},
        {{CellState::Skipped, ""}, "Skipped"},
        {{CellState::Failed, "Google: HTTP 500 Internal Server Error"}, "Failed: Google: HTTP 500 Internal Server Error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CellStateNote(c.Record), c.Note);
}

} // namespace
