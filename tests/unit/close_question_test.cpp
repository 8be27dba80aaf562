#include "core/close_question.h"
#include "core/keyword_sort.h"
#include "support/core/ascii_collator.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

struct AnsweringPrompter : ClosePrompter {
    explicit AnsweringPrompter(CloseAnswer answer) : Answer(answer) {}
    CloseAnswer AskSaveBeforeClosing() override
    {
        ++Asked;
        return Answer;
    }
    CloseAnswer Answer;
    int Asked = 0;
};

using Step = CloseQuestion::Step;

struct CloseCase {
    const char* Name;
    bool Running;
    bool Unsaved;
    CloseAnswer Answer;
    bool Asks;
    Step First;                    // what the close does at once
    std::optional<Step> AfterRun;  // what it does once the stopped run has returned
};

class CloseQuestionCases : public testing::TestWithParam<CloseCase> {};

TEST_P(CloseQuestionCases, AsksOnlyWhenRowsWouldBeLostAndFollowsTheAnswer)
{
    const CloseCase& c = GetParam();
    CloseQuestion question;
    AnsweringPrompter prompter(c.Answer);
    EXPECT_EQ(question.Closing(c.Running, c.Unsaved, prompter), c.First);
    EXPECT_EQ(prompter.Asked, c.Asks ? 1 : 0);
    EXPECT_EQ(question.Waiting(), c.AfterRun.has_value());
    if (!c.AfterRun)
        return;
    // A second close while the stopped run unwinds neither asks again nor changes the answer.
    EXPECT_EQ(question.Closing(true, c.Unsaved, prompter), Step::KeepOpen);
    EXPECT_EQ(prompter.Asked, c.Asks ? 1 : 0);
    EXPECT_EQ(question.RunReturned(), *c.AfterRun);
    EXPECT_FALSE(question.Waiting());
}

INSTANTIATE_TEST_SUITE_P(
    , CloseQuestionCases,
    testing::Values(
        CloseCase{"NothingToLose", false, false, CloseAnswer::Cancel, false, Step::Close, std::nullopt},
        CloseCase{"NothingToLoseWhileRunning", true, false, CloseAnswer::Cancel, false, Step::StopRun, Step::Close},
        CloseCase{"Save", false, true, CloseAnswer::Save, true, Step::Save, std::nullopt},
        CloseCase{"Discard", false, true, CloseAnswer::Discard, true, Step::Close, std::nullopt},
        CloseCase{"Cancel", false, true, CloseAnswer::Cancel, true, Step::KeepOpen, std::nullopt},
        CloseCase{"SaveWhileRunning", true, true, CloseAnswer::Save, true, Step::StopRun, Step::Save},
        CloseCase{"DiscardWhileRunning", true, true, CloseAnswer::Discard, true, Step::StopRun, Step::Close},
        CloseCase{"CancelWhileRunningKeepsTheRun", true, true, CloseAnswer::Cancel, true, Step::KeepOpen,
                  std::nullopt}),
    [](const testing::TestParamInfo<CloseCase>& info) { return info.param.Name; });

// A Discard that waited for the run closes when asked again, without a second question.
TEST(CloseQuestion, AfterAWaitedDiscardTheCloseGoesThrough)
{
    CloseQuestion question;
    AnsweringPrompter prompter(CloseAnswer::Discard);
    ASSERT_EQ(question.Closing(true, true, prompter), Step::StopRun);
    ASSERT_EQ(question.RunReturned(), Step::Close);
    EXPECT_EQ(question.Closing(false, true, prompter), Step::Close);
    EXPECT_EQ(prompter.Asked, 1);
}

// A cancelled save after a waited Save leaves the next close to ask again.
TEST(CloseQuestion, AfterAWaitedSaveTheNextCloseAsksAgain)
{
    CloseQuestion question;
    AnsweringPrompter prompter(CloseAnswer::Save);
    ASSERT_EQ(question.Closing(true, true, prompter), Step::StopRun);
    ASSERT_EQ(question.RunReturned(), Step::Save);
    prompter.Answer = CloseAnswer::Cancel;
    EXPECT_EQ(question.Closing(false, true, prompter), Step::KeepOpen);
    EXPECT_EQ(prompter.Asked, 2);
}

class UnsavedResultsTest : public testing::Test {
protected:
    KeywordList list;
    UnsavedResults unsaved;
    AsciiCaseInsensitiveCollator collator;
};

TEST_F(UnsavedResultsTest, AnEmptyTableHasNothingToLose)
{
    EXPECT_FALSE(unsaved.Any(list));
    list.AppendRow(1, "golf", "");
    list.ClearRows();
    EXPECT_FALSE(unsaved.Any(list));
}

TEST_F(UnsavedResultsTest, EveryChangeToWhatASaveWritesCountsAndASaveClearsIt)
{
    const struct {
        const char* Name;
        std::function<void(KeywordList&)> Change;
    } changes[] = {
        {"append", [](KeywordList& l) { l.AppendRow(9, "tennis", ""); }},
        {"cell", [](KeywordList& l) { l.SetCellText(0, KeywordRow::Google, "1,100"); }},
        {"delete row", [](KeywordList& l) { l.DeleteRow(1); }},
        {"delete ticked", [](KeywordList& l) {
             l.SetRowTicked(0, true);
             l.DeleteTickedRows();
         }},
    };
    for (const auto& change : changes) {
        list.ClearRows();
        list.AppendRow(1, "golf", "");
        list.AppendRow(2, "soccer", "");
        unsaved.MarkSaved(list);
        ASSERT_FALSE(unsaved.Any(list)) << change.Name;
        change.Change(list);
        EXPECT_TRUE(unsaved.Any(list)) << change.Name;
        unsaved.MarkSaved(list);
        EXPECT_FALSE(unsaved.Any(list)) << change.Name;
    }
}

// Ticks and the order are not written as changes: the saved file still holds every row.
TEST_F(UnsavedResultsTest, TicksAndSortingLoseNothing)
{
    list.AppendRow(1, "golf", "");
    list.AppendRow(2, "apple", "");
    unsaved.MarkSaved(list);
    list.SetRowTicked(0, true);
    list.SortByColumn(1, true, collator);
    EXPECT_FALSE(unsaved.Any(list));
}

// Deleting nothing ticked changes nothing.
TEST_F(UnsavedResultsTest, ADeletionThatRemovesNothingIsNoChange)
{
    list.AppendRow(1, "golf", "");
    unsaved.MarkSaved(list);
    list.DeleteTickedRows();
    EXPECT_FALSE(unsaved.Any(list));
}

} // namespace
