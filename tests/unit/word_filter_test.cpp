#include "core/word_filter.h"
#include "support/core/table_case_folder.h"

#include <gtest/gtest.h>

namespace {

struct MatchCase {
    const char* Phrases;
    const char* Keyword;
    bool Matches;
};

class WordFilterMatch : public testing::TestWithParam<MatchCase> {};

TEST_P(WordFilterMatch, WholeWordsCaseIgnored)
{
    const MatchCase& c = GetParam();
    TableCaseFolder folder;
    const WordFilter filter(PhraseLines(c.Phrases), folder);
    EXPECT_EQ(filter.Matches(c.Keyword), c.Matches) << '"' << c.Phrases << "\" in \"" << c.Keyword << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WordFilterMatch,
    testing::Values(MatchCase{"golf", "golf clubs", true}, MatchCase{"golf", "minigolf course", false},
                    MatchCase{"golf", "golfing", false}, MatchCase{"GOLF", "Golf", true},
                    MatchCase{"golf clubs", "cheap golf clubs uk", true},
                    MatchCase{"golf clubs", "clubs golf", false}, MatchCase{"golf clubs", "golf  -  clubs", true},
                    MatchCase{"golf clubs", "golf", false}, MatchCase{"tennis\ngolf", "golf bag", true},
                    MatchCase{"tennis\r\n\r\nsquash", "squash", true}, MatchCase{"free", "free-shipping", true},
                    MatchCase{"don't", "i don't know", true}, MatchCase{"uk", "golf (uk)", true},
                    MatchCase{"\xC3\x89t\xC3\xA9", "caf\xC3\xA9 \xC3\xA9t\xC3\xA9", true},
                    MatchCase{"caf", "caf\xC3\xA9", false},
                    // Curly quotes and dashes part words like their ASCII kin.
                    MatchCase{"golf", "\xE2\x80\x9Cgolf\xE2\x80\x9D", true},
                    MatchCase{"golf", "golf\xE2\x80\x94" "club", true},
                    MatchCase{"!!!\n  \n", "!!! golf", false}, MatchCase{"", "golf", false}));

TEST(WordFilter, PhraseLinesDropLinesWithoutAWord)
{
    EXPECT_EQ(PhraseLines("golf\n\n  \n-\ngolf clubs\r\nx"), (std::vector<std::string>{"golf", "golf clubs", "x"}));
}

class FilterRowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* keyword : {"golf clubs", "tennis balls", "Golf bag", "squash", "minigolf"})
            list.AppendRow(list.CountRows() + 1, keyword, "");
    }

    std::vector<std::string> Numbers() const
    {
        std::vector<std::string> numbers;
        for (int row = 0; row < list.CountRows(); ++row)
            numbers.push_back(list.RowCaption(row));
        return numbers;
    }

    KeywordList list;
    TableCaseFolder folder;
    ListUndo undo;
};

TEST_F(FilterRowsTest, RemoveAndKeepAreEachOthersComplementAndUndoRestoresTheOrder)
{
    const WordFilter filter(PhraseLines("golf\nsquash"), folder);
    EXPECT_EQ(CountMatchingRows(list, filter), 3);

    EXPECT_EQ(FilterRows(list, filter, FilterMode::RemoveMatching, undo), 3);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"2", "5"}));
    undo.Undo(list);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));

    EXPECT_EQ(FilterRows(list, filter, FilterMode::KeepMatching, undo), 2);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"1", "3", "4"}));
    undo.Undo(list);
    EXPECT_EQ(Numbers(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

} // namespace
