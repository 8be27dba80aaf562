#include "core/keyword_entry.h"
#include "support/core/recording_ui.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

namespace {

const char* const BothWays = "Please select only one way to add keywords.";
const char* const NotAFile = "Please select a valid file.";

struct AddCheckCase {
    const char* Name;
    std::string Typed;
    enum { NoList, MissingFile, ExistingFile } List;
    std::optional<std::string> Refusal;
};

class AddKeywordsCheckTest : public testing::TestWithParam<AddCheckCase> {
protected:
    TempDir folder;
};

TEST_P(AddKeywordsCheckTest, ChecksInOrder)
{
    std::string listFile;
    if (GetParam().List == AddCheckCase::MissingFile)
        listFile = (folder.Path() / "missing.txt").string();
    else if (GetParam().List == AddCheckCase::ExistingFile)
        listFile = folder.WriteFile("keywords.txt", "golf\n");
    EXPECT_EQ(AddKeywordsRefusal(GetParam().Typed, listFile), GetParam().Refusal);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, AddKeywordsCheckTest,
    testing::Values(AddCheckCase{"BothFilledFileMissing", "golf", AddCheckCase::MissingFile, BothWays},
                    AddCheckCase{"BothFilledFilePresent", "golf", AddCheckCase::ExistingFile, BothWays},
                    AddCheckCase{"FileMissing", "", AddCheckCase::MissingFile, NotAFile},
                    AddCheckCase{"FilePresent", "", AddCheckCase::ExistingFile, std::nullopt},
                    AddCheckCase{"TypedOnly", "golf, soccer", AddCheckCase::NoList, std::nullopt},
                    AddCheckCase{"BothEmpty", "", AddCheckCase::NoList, std::nullopt}),
    [](const testing::TestParamInfo<AddCheckCase>& info) { return info.param.Name; });

TEST(AddKeywordsCheck, AFolderIsNotAValidFile)
{
    TempDir folder;
    EXPECT_EQ(AddKeywordsRefusal("", folder.Path().string()), NotAFile);
}

TEST(MainKeywordCheck, RefusesOnlyTheEmptyText)
{
    EXPECT_EQ(MainKeywordRefusal(""), "Please add a Main Keyword.");
    EXPECT_EQ(MainKeywordRefusal(" "), std::nullopt);
    EXPECT_EQ(MainKeywordRefusal("golf"), std::nullopt);
}

class AddKeywordsTest : public testing::Test {
protected:
    KeywordList list;
    RecordingStatus status;
    TempDir folder;
};

TEST_F(AddKeywordsTest, TypedTextIsOneRowNumberedAfterTheOthers)
{
    list.AppendRow(1, "tennis", "");
    list.AppendRow(7, "bowls", "");
    AddKeywords(list, status, " golf, soccer ", "");
    ASSERT_EQ(list.CountRows(), 3);
    EXPECT_EQ(list.RowCaption(2), "3");
    EXPECT_EQ(list.CellText(2, KeywordRow::Keywords), " golf, soccer ");
    EXPECT_EQ(list.CellText(2, KeywordRow::Searches), "");
    EXPECT_EQ(status.RowCountStatus, (std::vector<std::string>{"3 items listed"}));
}

TEST_F(AddKeywordsTest, AListFileIsImported)
{
    AddKeywords(list, status, "", folder.WriteFile("list.txt", "golf\nsoccer\n"));
    EXPECT_EQ(list.CountRows(), 2);
    EXPECT_EQ(status.RowCountStatus.back(), "Total: 2");
}

TEST_F(AddKeywordsTest, BothEmptyAddsNothingAndLeavesTheCount)
{
    AddKeywords(list, status, "", "");
    EXPECT_EQ(list.CountRows(), 0);
    EXPECT_TRUE(status.RowCountStatus.empty());
}

TEST(ShowMainKeyword, ShowsItAndEmptiesTheProgressPanel)
{
    RecordingStatus status;
    ShowMainKeyword(status, "golf");
    EXPECT_EQ(status.MainKeywordStatus, (std::vector<std::string>{"Main Keyword: golf"}));
    EXPECT_EQ(status.MainStatus, (std::vector<std::string>{""}));
}

TEST(SearchMode, OnlyThePreciseBoxCounts)
{
    EXPECT_EQ(SearchModeFromTicks(true), 0);
    EXPECT_EQ(SearchModeFromTicks(false), 1);
}

} // namespace
