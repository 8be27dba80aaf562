#include "core/keyword_list.h"
#include "core/keyword_sort.h"
#include "support/core/ascii_collator.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    const char* Text;
    int32_t Value;
};

class NumberTextValueTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextValueTest, ConvertsAsTheSortSeesIt)
{
    EXPECT_EQ(NumberTextValue(GetParam().Text), GetParam().Value) << "text: [" << GetParam().Text << "]";
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberTextValueTest,
                         testing::Values(NumberCase{"900", 900}, NumberCase{"1,200", 1200},
                                         NumberCase{"15,000", 15000}, NumberCase{"1,,2,3", 123},
                                         NumberCase{"  42", 42}, NumberCase{"-5", -5}, NumberCase{"+7", 7},
                                         NumberCase{"$1F", 31}, NumberCase{"0x10", 16}, NumberCase{"0X1f", 31},
                                         NumberCase{"-$10", -16}, NumberCase{"2147483647", 2147483647},
                                         NumberCase{"-2,147,483,648", INT32_MIN}));

INSTANTIATE_TEST_SUITE_P(NotNumbers, NumberTextValueTest,
                         testing::Values(NumberCase{"abc", 0}, NumberCase{"", 0}, NumberCase{",", 0},
                                         NumberCase{"3,000,000,000", 0}, NumberCase{"2147483648", 0},
                                         NumberCase{"42 ", 0}, NumberCase{"4 2", 0}, NumberCase{"12abc", 0},
                                         NumberCase{"-", 0}, NumberCase{"$", 0}, NumberCase{"0x", 0},
                                         NumberCase{"$1G", 0}, NumberCase{"1.5", 0}));

TEST(CompareNumberText, GivesTheSignOfTheDifference)
{
    EXPECT_EQ(CompareNumberText("1,200", "900"), 1);
    EXPECT_EQ(CompareNumberText("900", "1,200"), -1);
    EXPECT_EQ(CompareNumberText("abc", ""), 0);
    EXPECT_EQ(CompareNumberText("3,000,000,000", "0"), 0);
    EXPECT_EQ(CompareNumberText("0x10", "16"), 0);
}

TEST(CompareRows, NegatesForDescending)
{
    EXPECT_LT(CompareRows(1, 2, true), 0);
    EXPECT_GT(CompareRows(1, 2, false), 0);
    EXPECT_EQ(CompareRows(2, 2, false), 0);
}

struct ClickCase {
    const char* Name;
    std::vector<int> Clicks;
    int Column;
    bool Ascending;
};

class ColumnClickDirectionTest : public testing::TestWithParam<ClickCase> {};

TEST_P(ColumnClickDirectionTest, FollowsTheDirectionRules)
{
    SortState state;
    for (int column : GetParam().Clicks)
        state.ColumnClicked(column);
    EXPECT_EQ(state.SortColumn, GetParam().Column);
    EXPECT_EQ(state.SortAscending, GetParam().Ascending);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, ColumnClickDirectionTest,
    testing::Values(ClickCase{"FirstClickAscending", {2}, 2, true},
                    ClickCase{"FirstClickOnNoAscending", {0}, 0, true},
                    ClickCase{"SameColumnInverts", {2, 2}, 2, false},
                    ClickCase{"ThreeClicksAscendingAgain", {2, 2, 2}, 2, true},
                    ClickCase{"OtherColumnKeepsDescending", {2, 2, 3}, 3, false},
                    ClickCase{"OtherColumnKeepsAscending", {2, 3}, 3, true}),
    [](const testing::TestParamInfo<ClickCase>& info) { return info.param.Name; });

KeywordList ListOf(const std::vector<std::pair<std::string, std::string>>& keywordsAndSearches)
{
    KeywordList list;
    for (const auto& [keywords, searches] : keywordsAndSearches)
        list.AppendRow(list.CountRows() + 1, keywords, searches);
    return list;
}

std::vector<std::string> Column(const KeywordList& list, int cell)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.CountRows(); ++row)
        texts.push_back(cell < 0 ? list.RowCaption(row) : list.CellText(row, cell));
    return texts;
}

const AsciiCaseInsensitiveCollator collator;

TEST(SortByColumn, SortsSearchesAsNumbers)
{
    KeywordList list = ListOf({{"a", "15,000"}, {"b", "900"}, {"c", "1,200"}});
    list.SortByColumn(2, true, collator);
    EXPECT_EQ(Column(list, KeywordRow::Searches), (std::vector<std::string>{"900", "1,200", "15,000"}));
    list.SortByColumn(2, false, collator);
    EXPECT_EQ(Column(list, KeywordRow::Searches), (std::vector<std::string>{"15,000", "1,200", "900"}));
}

TEST(SortByColumn, TextsThatAreNotNumbersSortAsZeroAndKeepTheirOrder)
{
    KeywordList list = ListOf({{"a", "5"}, {"b", "abc"}, {"c", ""}, {"d", "-1"}, {"e", "3,000,000,000"}});
    list.SortByColumn(2, true, collator);
    EXPECT_EQ(Column(list, KeywordRow::Keywords), (std::vector<std::string>{"d", "b", "c", "e", "a"}));
    list.SortByColumn(2, false, collator);
    EXPECT_EQ(Column(list, KeywordRow::Keywords), (std::vector<std::string>{"a", "b", "c", "e", "d"}));
}

TEST(SortByColumn, SortsNumbersCaptionsAndEngineCells)
{
    KeywordList list = ListOf({{"x", ""}, {"y", ""}, {"z", ""}});
    list.SetCellText(0, KeywordRow::Yahoo, "$1F");  // 31
    list.SetCellText(1, KeywordRow::Yahoo, "0x10"); // 16
    list.SetCellText(2, KeywordRow::Yahoo, "20");
    list.SortByColumn(4, true, collator);
    EXPECT_EQ(Column(list, KeywordRow::Keywords), (std::vector<std::string>{"y", "z", "x"}));
    list.SortByColumn(0, false, collator);
    EXPECT_EQ(Column(list, -1), (std::vector<std::string>{"3", "2", "1"}));
}

TEST(SortByColumn, KeywordsIgnoreCaseAndTicksAndNumbersTravel)
{
    KeywordList list = ListOf({{"cherry", ""}, {"Banana", ""}, {"apple", ""}});
    list.SetRowTicked(1, true);
    list.SortByColumn(1, true, collator);
    EXPECT_EQ(Column(list, KeywordRow::Keywords), (std::vector<std::string>{"apple", "Banana", "cherry"}));
    EXPECT_EQ(Column(list, -1), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_FALSE(list.IsRowTicked(0));
    EXPECT_TRUE(list.IsRowTicked(1));
    EXPECT_FALSE(list.IsRowTicked(2));
}

TEST(SortByColumn, RowsAddedLaterGoToTheEnd)
{
    KeywordList list = ListOf({{"b", "2"}, {"a", "1"}});
    list.SortByColumn(2, true, collator);
    list.AppendRow(list.CountRows() + 1, "c", "0");
    EXPECT_EQ(Column(list, KeywordRow::Keywords), (std::vector<std::string>{"a", "b", "c"}));
}

} // namespace
