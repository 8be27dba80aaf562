#include "core/duplicate_rows.h"
#include "support/core/recording_ui.h"
#include "support/core/table_case_folder.h"

#include <gtest/gtest.h>

namespace {

struct DuplicateCase {
    const char* Name;
    std::vector<std::string> Keywords;
    std::vector<std::string> Kept;
};

class RemoveDuplicatesTest : public testing::TestWithParam<DuplicateCase> {};

TEST_P(RemoveDuplicatesTest, KeepsTheFirstOfEachKeyword)
{
    const DuplicateCase& c = GetParam();
    KeywordList list;
    for (const std::string& keyword : c.Keywords)
        list.AppendRow(list.CountRows() + 1, keyword, "");
    TableCaseFolder folder;
    ListUndo undo;
    ScriptedPrompter prompter;
    RecordingStatus status;
    RemoveDuplicates(list, folder, undo, prompter, status);

    std::vector<std::string> kept;
    for (int row = 0; row < list.CountRows(); ++row)
        kept.push_back(list.CellText(row, KeywordRow::Keywords));
    EXPECT_EQ(kept, c.Kept);
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, std::to_string(c.Keywords.size() - c.Kept.size()) + " duplicate rows removed.");
    EXPECT_EQ(status.RowCountStatus.back(), std::to_string(c.Kept.size()) + " items listed");
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, RemoveDuplicatesTest,
    testing::Values(
        DuplicateCase{"LetterCase", {"Golf Clubs", "golf clubs", "GOLF CLUBS", "golf club"}, {"Golf Clubs", "golf club"}},
        DuplicateCase{"Blanks", {"golf  clubs", " golf clubs ", "golf\tclubs", "golfclubs"}, {"golf  clubs", "golfclubs"}},
        DuplicateCase{"BeyondAscii", {"\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89", "stra\xC3\x9F" "e", "STRASSE"},
                      {"\xC3\x89t\xC3\xA9", "stra\xC3\x9F" "e"}},
        // Windows-1252 bytes are read as the table shows them: 0xC9 is É.
        DuplicateCase{"Windows1252", {"\xC9t\xE9", "\xC3\xA9t\xC3\xA9"}, {"\xC9t\xE9"}},
        DuplicateCase{"BlankKeywords", {"", "  ", "a", "\t"}, {"", "a"}},
        DuplicateCase{"NoneToRemove", {"a", "b"}, {"a", "b"}}),
    [](const testing::TestParamInfo<DuplicateCase>& info) { return std::string(info.param.Name); });

TEST(RemoveDuplicates, TheFirstRowStaysWithItsNumberCountsAndTickAndUndoBringsTheRestBack)
{
    KeywordList list;
    list.AppendRow(1, "golf", "");
    list.AppendRow(2, "tennis", "500");
    list.AppendRow(3, "GOLF", "900");
    list.AppendRow(4, "Tennis ", "");
    list.SetCellText(0, 2, "1,000");
    list.SetRowTicked(3, true);
    TableCaseFolder folder;
    ListUndo undo;
    ScriptedPrompter prompter;
    RecordingStatus status;
    RemoveDuplicates(list, folder, undo, prompter, status);

    ASSERT_EQ(list.CountRows(), 2);
    EXPECT_EQ(list.RowCaption(1), "2");
    EXPECT_EQ(list.CellText(0, 2), "1,000");
    EXPECT_EQ(list.CellText(1, KeywordRow::Searches), "500");

    undo.Undo(list);
    ASSERT_EQ(list.CountRows(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(list.RowCaption(row), std::to_string(row + 1));
    EXPECT_EQ(list.CellText(2, KeywordRow::Searches), "900");
    EXPECT_TRUE(list.IsRowTicked(3));
}

TEST(DuplicateKey, AsciiKeywordsNeverReachTheFolder)
{
    TableCaseFolder folder;
    EXPECT_EQ(DuplicateKey("  Golf \t Clubs  ", folder), "golf clubs");
    EXPECT_EQ(folder.Calls, 0);
    EXPECT_EQ(DuplicateKey("\xC3\x9C" "ber", folder), "\xC3\xBC" "ber");
    EXPECT_EQ(folder.Calls, 1);
}

} // namespace
