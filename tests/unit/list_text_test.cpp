#include "core/list_columns.h"
#include "core/list_text.h"
#include "support/core/recording_ui.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class ListTextTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* keyword : {"golf", "tennis", "squash"})
            list.AppendRow(list.CountRows() + 1, keyword, "");
    }

    KeywordList list;
};

TEST_F(ListTextTest, CopyTakesHighlightedRowsThenTickedRowsThenEveryRow)
{
    list.SetRowTicked(1, true);
    EXPECT_EQ(RowsToCopy(list, {2, 0, 2, 7, -1}), (std::vector<int>{0, 2}));
    EXPECT_EQ(RowsToCopy(list, {}), (std::vector<int>{1}));
    list.SetRowTicked(1, false);
    EXPECT_EQ(RowsToCopy(list, {}), (std::vector<int>{0, 1, 2}));
}

TEST_F(ListTextTest, CopiedTextIsOneSpreadsheetLinePerRowWithCaptionsFirst)
{
    list.SetCellText(0, KeywordRow::Searches, "1,000");
    list.SetCellText(0, ListColumns::EngineCell(list, 0), "50");
    list.SetCellText(1, KeywordRow::Keywords, "ten\tnis\r\nballs");
    list.SetCellText(2, KeywordRow::Keywords, "caf\xE9");

    EXPECT_EQ(CopiedRowsText(list, {0, 1, 2}, false),
              "No\tKeywords\tSearches\tGoogle\tYahoo\tMsn\n"
              "1\tgolf\t1,000\t50\t\t\n"
              "2\tten nis  balls\t\t\t\t\n"
              "3\tcaf\xC3\xA9\t\t\t\t\n");
    EXPECT_EQ(CopiedRowsText(list, {0}, true),
              "No\tKeywords\tSearches\tGoogle\tYahoo\tMsn\tKEI Google\tKEI Yahoo\tKEI Msn\n"
              "1\tgolf\t1,000\t50\t\t\t20000.00\t\t\n");
}

TEST_F(ListTextTest, PasteAddsEveryLineWithMoreThanBlanks)
{
    RecordingStatus status;
    EXPECT_EQ(PasteKeywords(list, status, "golf bag\r\n\r\n   \n\t\ncheap  golf \rlast"), 3);
    ASSERT_EQ(list.CountRows(), 6);
    EXPECT_EQ(list.CellText(3, KeywordRow::Keywords), "golf bag");
    EXPECT_EQ(list.CellText(4, KeywordRow::Keywords), "cheap  golf ");
    EXPECT_EQ(list.CellText(5, KeywordRow::Keywords), "last");
    EXPECT_EQ(list.RowCaption(5), "6");
    EXPECT_EQ(status.RowCountStatus, (std::vector<std::string>{"Total: 6"}));

    status.RowCountStatus.clear();
    EXPECT_EQ(PasteKeywords(list, status, "\r\n  \n"), 0);
    EXPECT_EQ(list.CountRows(), 6);
    EXPECT_TRUE(status.RowCountStatus.empty());
}

TEST_F(ListTextTest, KeywordListIsUtf8OneKeywordPerLine)
{
    list.SetCellText(1, KeywordRow::Keywords, "caf\xE9\nbar");
    EXPECT_EQ(KeywordListText(list), "golf\r\ncaf\xC3\xA9 bar\r\nsquash\r\n");
}

TEST(WithTxtExtensionWhenNone, OnlyANameWithoutExtensionGetsOne)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/words", "/tmp/words.txt"},         {"/tmp/words.txt", "/tmp/words.txt"},
        {"/tmp/words.csv", "/tmp/words.csv"},     {"/tmp/my.folder/words", "/tmp/my.folder/words.txt"},
        {"/tmp/.words", "/tmp/.words.txt"},       {"/tmp/words.", "/tmp/words..txt"},
    };
    for (const auto& [typed, saved] : cases)
        EXPECT_EQ(WithTxtExtensionWhenNone(typed), saved) << typed;
}

TEST(ExportKeywordList, WritesTheFileOrSaysWhy)
{
    struct FixedChooser : SaveFileChooser {
        std::optional<std::string> File;
        std::optional<std::string> ChooseSaveFile() override { return File; }
    } chooser;
    ScriptedPrompter prompter;
    KeywordList list;
    ExportKeywordList(list, prompter, chooser);
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, "You don't have any data to save.");

    TempDir folder;
    list.AppendRow(1, "golf", "");
    chooser.File = (folder.Path() / "k.txt").string();
    ExportKeywordList(list, prompter, chooser);
    std::ifstream in(*chooser.File, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), "golf\r\n");

    chooser.File = (folder.Path() / "missing" / "k.txt").string();
    ExportKeywordList(list, prompter, chooser);
    ASSERT_EQ(prompter.Asked.size(), 2u);
    EXPECT_EQ(prompter.Asked[1].Text, "Could not save the keywords: No such file or directory.");
}

} // namespace
