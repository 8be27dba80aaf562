// The table's count columns follow the engines of the service profile: their number,
// captions, cells, sorting and the CSV.
#include "core/keyword_list.h"
#include "core/results_export.h"
#include "support/core/ascii_collator.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Captions(const KeywordList& list)
{
    std::vector<std::string> captions;
    for (int column = 0; column < list.ColumnCount(); ++column)
        captions.push_back(list.ColumnCaption(column));
    return captions;
}

TEST(EngineColumnsTest, TheBuiltInEnginesUntilTheProfileSaysOtherwise)
{
    KeywordList list;
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"No", "Keywords", "Searches", "Google", "Yahoo", "Msn"}));
    list.SetEngineNames({"One"});
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"No", "Keywords", "Searches", "One"}));
    EXPECT_EQ(list.CellCount(), 3);
    list.SetEngineNames({"A", "B", "C", "D", "E", "F", "G", "H"});
    EXPECT_EQ(list.ColumnCount(), 11);
    EXPECT_EQ(list.ColumnCaption(10), "H");
}

TEST(EngineColumnsTest, EveryEngineCellIsReadAndWrittenAndNoneBeyond)
{
    KeywordList list;
    list.SetEngineNames({"A", "B", "C", "D"});
    list.AppendRow(1, "golf", "10");
    for (int cell = KeywordRow::FirstEngineCell; cell < list.CellCount(); ++cell)
        EXPECT_EQ(list.CellText(0, cell), "") << cell;
    list.SetCellText(0, 5, "4th");
    list.SetCellText(0, 2, "1st");
    EXPECT_EQ(list.CellText(0, 5), "4th");
    EXPECT_EQ(list.CellText(0, 2), "1st");
    EXPECT_EQ(list.CellText(0, 3), "");
    EXPECT_THROW(list.CellText(0, 6), std::out_of_range);
    EXPECT_THROW(list.SetCellText(0, 6, "x"), std::out_of_range);
    EXPECT_THROW(list.SetCellText(0, -1, "x"), std::out_of_range);
}

TEST(EngineColumnsTest, FewerEnginesDropTheCountsOfTheColumnsThatGo)
{
    KeywordList list;
    list.AppendRow(1, "golf", "");
    list.SetCellText(0, KeywordRow::Google, "g");
    list.SetCellText(0, KeywordRow::Msn, "m");
    list.SetEngineNames({"A", "B"});
    EXPECT_EQ(list.CellText(0, 2), "g");
    EXPECT_THROW(list.CellText(0, 4), std::out_of_range);
    list.SetEngineNames({"A", "B", "C"});
    EXPECT_EQ(list.CellText(0, 4), "") << "a column that went keeps no count for the one that comes";
}

TEST(EngineColumnsTest, SortingWorksOnTheLastOfEightEngines)
{
    KeywordList list;
    list.SetEngineNames({"A", "B", "C", "D", "E", "F", "G", "H"});
    const char* const counts[] = {"1,200", "", "900", "15,000"};
    for (int row = 0; row < 4; ++row) {
        list.AppendRow(row + 1, "k" + std::to_string(row), "");
        list.SetCellText(row, 9, counts[row]);
    }
    const AsciiCaseInsensitiveCollator collator;
    list.SortByColumn(10, false, collator);
    std::vector<std::string> order;
    for (int row = 0; row < 4; ++row)
        order.push_back(list.RowCaption(row));
    EXPECT_EQ(order, (std::vector<std::string>{"4", "1", "3", "2"}));
    EXPECT_THROW(list.SortByColumn(11, true, collator), std::out_of_range);
}

TEST(EngineColumnsTest, TheCsvHasOneFieldPerEngine)
{
    KeywordList list;
    list.SetEngineNames({"Google", "JSON \"API\"", "B\xc3\xbcro"});
    list.AppendRow(1, "golf clubs", "1,234");
    list.SetCellText(0, 3, "5,678");
    list.AppendRow(2, "tennis", "");
    EXPECT_EQ(ResultsCsvText(list), "\"No\",\"Keywords\",\"Searches\",\"Google\",\"JSON \"\"API\"\"\",\"B\xc3\xbcro\"\r\n"
                                    "\"1\",\"golf clubs\",\"1,234\",\"\",\"5,678\",\"\"\r\n"
                                    "\"2\",\"tennis\",\"\",\"\",\"\",\"\"\r\n");
}

TEST(EngineColumnsTest, DeletingTickedRowsKeepsTheOthersCounts)
{
    KeywordList list;
    list.SetEngineNames({"A", "B", "C", "D"});
    for (int row = 0; row < 3; ++row) {
        list.AppendRow(row + 1, "k", "");
        list.SetCellText(row, 5, "c" + std::to_string(row));
    }
    list.SetRowTicked(1, true);
    EXPECT_EQ(list.DeleteTickedRows(), 1);
    EXPECT_EQ(list.CellText(1, 5), "c2");
}

} // namespace
