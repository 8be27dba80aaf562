#include "core/keyword_import.h"
#include "net/streams.h"
#include "support/core/recording_ui.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct SplitCase {
    const char* Name;
    std::string Text;
    std::vector<std::string> Lines;
};

class KeywordLineSplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(KeywordLineSplitTest, SplitsAsTheFileMeans)
{
    std::vector<std::string> lines;
    ForEachKeywordLine(GetParam().Text, [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, GetParam().Lines);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Lines, KeywordLineSplitTest,
    testing::Values(SplitCase{"CrLf", "golf\r\nsoccer\r\n", {"golf", "soccer"}},
                    SplitCase{"Lf", "golf\nsoccer\n", {"golf", "soccer"}},
                    SplitCase{"Cr", "golf\rsoccer\r", {"golf", "soccer"}},
                    SplitCase{"LastLineWithoutBreak", "golf\nsoccer", {"golf", "soccer"}},
                    SplitCase{"BlankLineInTheMiddle", "golf\r\n\r\nsoccer\r\n", {"golf", "", "soccer"}},
                    SplitCase{"LfCrIsTwoBreaks", "golf\n\rsoccer", {"golf", "", "soccer"}},
                    SplitCase{"CrCrLf", "golf\r\r\nsoccer", {"golf", "", "soccer"}},
                    SplitCase{"NulEndsTheText", "golf\nsoc\0cer\nbowls\n"s, {"golf", "soc"}},
                    SplitCase{"NulAtTheStart", "\0golf\n"s, {}},
                    SplitCase{"NoTrimming", "  golf clubs \t\n", {"  golf clubs \t"}},
                    SplitCase{"OnlyABreak", "\r\n", {""}},
                    SplitCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.Name; });

class ImportKeywordFileTest : public testing::Test {
protected:
    KeywordList list;
    RecordingStatus status;
    TempDir folder;
};

TEST_F(ImportKeywordFileTest, AppendsAfterTheListedRowsAndShowsTheTotal)
{
    list.AppendRow(1, "kept", "1,234");
    list.AppendRow(2, "also kept", "");
    const std::string file = folder.WriteFile("keywords.txt", "golf clubs\r\n\r\nsoccer\r\n");
    ImportKeywordFile(list, status, file);

    ASSERT_EQ(list.CountRows(), 5);
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "kept");
    EXPECT_EQ(list.CellText(0, KeywordRow::Searches), "1,234");
    const std::vector<std::pair<std::string, std::string>> expected = {{"3", "golf clubs"}, {"4", ""}, {"5", "soccer"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.RowCaption(2 + i), expected[static_cast<size_t>(i)].first);
        EXPECT_EQ(list.CellText(2 + i, KeywordRow::Keywords), expected[static_cast<size_t>(i)].second);
        for (int cell = KeywordRow::Searches; cell <= KeywordRow::Msn; ++cell)
            EXPECT_EQ(list.CellText(2 + i, cell), "");
        EXPECT_FALSE(list.IsRowTicked(2 + i));
    }
    EXPECT_EQ(status.RowCountStatus, (std::vector<std::string>{"Total: 3", "Total: 4", "Total: 5"}));
}

TEST_F(ImportKeywordFileTest, NamesThatAreNotFilesChangeNothing)
{
    list.AppendRow(1, "kept", "");
    for (const std::string& name : {(folder.Path() / "missing.txt").string(), folder.Path().string(), std::string()}) {
        ImportKeywordFile(list, status, name);
        EXPECT_EQ(list.CountRows(), 1) << name;
    }
    EXPECT_TRUE(status.RowCountStatus.empty());
}

TEST_F(ImportKeywordFileTest, AnEmptyFileAddsNothing)
{
    ImportKeywordFile(list, status, folder.WriteFile("empty.txt", ""));
    EXPECT_EQ(list.CountRows(), 0);
    EXPECT_TRUE(status.RowCountStatus.empty());
}

// Run as an unprivileged user (dropping root when the tests run as root), so that the
// file's permissions apply.
TEST_F(ImportKeywordFileTest, AnUnreadableFileRaisesBeforeAnyRowIsAdded)
{
    const std::string file = folder.WriteFile("locked.txt", "golf\n");
    std::filesystem::permissions(file, std::filesystem::perms::none);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                std::_Exit(3);
            try {
                ImportKeywordFile(list, status, file);
            } catch (const EFileStreamError& error) {
                const bool named = std::string(error.what()).find("locked.txt") != std::string::npos;
                std::_Exit(named && list.CountRows() == 0 && status.RowCountStatus.empty() ? 0 : 1);
            }
            std::_Exit(2);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
