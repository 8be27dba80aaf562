#include "core/keyword_commands.h"
#include "support/core/ascii_collator.h"
#include "support/core/recording_ui.h"

#include <gtest/gtest.h>

namespace {

const char* const DeleteSelectedQuestion = "Are you sure do you want to delete the selected keywords?";
const char* const DeleteAllQuestion = "Are you sure do you want to delete all?";

class KeywordCommandsTest : public testing::Test {
protected:
    void Add(const std::string& keywords)
    {
        list.AppendRow(list.CountRows() + 1, keywords, "");
    }

    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int row = 0; row < list.CountRows(); ++row)
            captions.push_back(list.RowCaption(row));
        return captions;
    }

    KeywordList list;
    ScriptedPrompter prompter;
    RecordingStatus status;
};

TEST_F(KeywordCommandsTest, DeleteSelectedRemovesTickedRowsWithoutRenumbering)
{
    for (const char* keyword : {"a", "b", "c", "d"})
        Add(keyword);
    list.SetRowTicked(0, true);
    list.SetRowTicked(2, true);
    DeleteSelected(list, prompter, status);
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, DeleteSelectedQuestion);
    EXPECT_EQ(prompter.Asked[0].Buttons, MessageButtons::OkCancel);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"2", "4"}));
    EXPECT_EQ(status.RowCountStatus, (std::vector<std::string>{"2 items listed"}));
}

TEST_F(KeywordCommandsTest, CancelDeletesNothingButRewritesTheCount)
{
    Add("a");
    list.SetRowTicked(0, true);
    prompter.Answers = {mrCancel, mrCancel};
    DeleteSelected(list, prompter, status);
    DeleteAll(list, prompter, status);
    EXPECT_EQ(list.CountRows(), 1);
    EXPECT_EQ(status.RowCountStatus, (std::vector<std::string>{"1 items listed", "1 items listed"}));
}

TEST_F(KeywordCommandsTest, DeletionsAskEvenWhenThereIsNothingToDelete)
{
    DeleteSelected(list, prompter, status);
    DeleteAll(list, prompter, status);
    ASSERT_EQ(prompter.Asked.size(), 2u);
    EXPECT_EQ(prompter.Asked[0].Text, DeleteSelectedQuestion);
    EXPECT_EQ(prompter.Asked[1].Text, DeleteAllQuestion);
    EXPECT_EQ(prompter.Asked[1].Buttons, MessageButtons::OkCancel);
    EXPECT_EQ(status.RowCountStatus, (std::vector<std::string>{"0 items listed", "0 items listed"}));
}

TEST_F(KeywordCommandsTest, DeleteAllClearsOnOk)
{
    Add("a");
    Add("b");
    DeleteAll(list, prompter, status);
    EXPECT_EQ(list.CountRows(), 0);
    EXPECT_EQ(status.RowCountStatus.back(), "0 items listed");
}

TEST_F(KeywordCommandsTest, NewRowAfterADeletionMayRepeatANumber)
{
    Add("a");
    Add("b");
    Add("c");
    list.SetRowTicked(0, true);
    DeleteSelected(list, prompter, status);
    Add("d");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"2", "3", "3"}));
}

TEST_F(KeywordCommandsTest, SelectAllAndClearSelectionOnlyTouchTheTicks)
{
    Add("a");
    Add("b");
    SelectAll(list);
    EXPECT_TRUE(list.IsRowTicked(0) && list.IsRowTicked(1));
    ClearSelection(list);
    EXPECT_FALSE(list.IsRowTicked(0) || list.IsRowTicked(1));
    EXPECT_TRUE(status.RowCountStatus.empty());
    EXPECT_TRUE(prompter.Asked.empty());
}

TEST_F(KeywordCommandsTest, ColumnClicksSortInTheDirectionInForce)
{
    Add("a");
    Add("b");
    Add("c");
    list.SetCellText(0, KeywordRow::Searches, "20");
    list.SetCellText(1, KeywordRow::Searches, "10");
    list.SetCellText(2, KeywordRow::Searches, "30");
    list.SetCellText(0, KeywordRow::Google, "1");
    list.SetCellText(1, KeywordRow::Google, "3");
    list.SetCellText(2, KeywordRow::Google, "2");
    SortState sort;
    const AsciiCaseInsensitiveCollator collator;

    ColumnClick(list, sort, 2, collator);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"2", "1", "3"}));
    ColumnClick(list, sort, 2, collator);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"3", "1", "2"}));
    ColumnClick(list, sort, 3, collator); // Google, still descending
    EXPECT_EQ(Captions(), (std::vector<std::string>{"2", "3", "1"}));
}

} // namespace
