#include "core/keyword_commands.h"
#include "core/list_undo.h"
#include "support/core/recording_ui.h"

#include <gtest/gtest.h>

namespace {

class ListUndoTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (int number = 1; number <= 5; ++number)
            list.AppendRow(number, "k" + std::to_string(number), "");
    }

    std::string Numbers() const
    {
        std::string numbers;
        for (int row = 0; row < list.CountRows(); ++row)
            numbers += list.RowCaption(row);
        return numbers;
    }

    KeywordList list;
    ListUndo undo;
    ScriptedPrompter prompter;
    RecordingStatus status;
};

TEST_F(ListUndoTest, DeleteSelectedAndDeleteAllCanBeUndoneOnce)
{
    list.SetRowTicked(1, true);
    list.SetRowTicked(3, true);
    DeleteSelected(list, prompter, status, &undo);
    EXPECT_EQ(Numbers(), "135");
    undo.Undo(list);
    EXPECT_EQ(Numbers(), "12345");
    EXPECT_TRUE(list.IsRowTicked(1) && list.IsRowTicked(3));
    EXPECT_FALSE(undo.CanUndo());
    undo.Undo(list);
    EXPECT_EQ(Numbers(), "12345");

    DeleteAll(list, prompter, status, &undo);
    EXPECT_EQ(list.CountRows(), 0);
    undo.Undo(list);
    EXPECT_EQ(Numbers(), "12345");
}

TEST_F(ListUndoTest, OnlyTheLastRemovalIsKeptAndAnEmptyOneKeepsIt)
{
    undo.Remember(list.TakeRows({true}));
    undo.Remember(list.TakeRows({false, true}));
    undo.Remember(list.TakeRows({}));
    EXPECT_EQ(Numbers(), "245");
    undo.Undo(list);
    EXPECT_EQ(Numbers(), "2345");
}

TEST_F(ListUndoTest, CancelledDeletionLeavesNothingToUndo)
{
    prompter.Answers = {mrCancel};
    list.SetRowTicked(0, true);
    DeleteSelected(list, prompter, status, &undo);
    EXPECT_FALSE(undo.CanUndo());
}

TEST_F(ListUndoTest, RowsAddedAfterTheRemovalFollowTheRowsPutBack)
{
    undo.Remember(list.TakeRows({false, false, false, true, true}));
    list.AppendRow(6, "k6", "");
    undo.Undo(list);
    EXPECT_EQ(Numbers(), "123456");
}

TEST_F(ListUndoTest, RowsPutBackAfterTheListShrankGoToTheEnd)
{
    undo.Remember(list.TakeRows({false, false, false, false, true}));
    list.TakeRows({true, true});
    undo.Undo(list);
    EXPECT_EQ(Numbers(), "345");
}

} // namespace
