#include "core/kei.h"
#include "core/keyword_commands.h"
#include "core/list_columns.h"
#include "support/core/ascii_collator.h"

#include <gtest/gtest.h>

namespace {

struct KeiCase {
    const char* Searches;
    const char* Results;
    const char* Kei;
};

class KeiValue : public testing::TestWithParam<KeiCase> {};

TEST_P(KeiValue, SearchesSquaredOverResults)
{
    const KeiCase& c = GetParam();
    EXPECT_EQ(KeiText(c.Searches, c.Results), c.Kei) << c.Searches << " / " << c.Results;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeiValue,
    testing::Values(KeiCase{"100", "50", "200.00"}, KeiCase{"1,234", "5,678,900", "0.27"},
                    KeiCase{"1,000", "3", "333333.33"}, KeiCase{"2", "3", "1.33"}, KeiCase{"1", "8", "0.13"},
                    // Exactly half a hundredth rounds up.
                    KeiCase{"1", "200", "0.01"}, KeiCase{"1", "400", "0.00"}, KeiCase{"0", "10", "0.00"},
                    KeiCase{" 12 ", "1", "144.00"},
                    // The widest counts still give the exact value.
                    KeiCase{"999,999,999,999,999", "1", "999999999999998000000000000001.00"},
                    KeiCase{"", "10", ""}, KeiCase{"10", "", ""}, KeiCase{"10", "0", ""},
                    KeiCase{"10", "0,000", ""}, KeiCase{"about 10", "5", ""}, KeiCase{"10", "1.5", ""},
                    KeiCase{"-10", "5", ""}, KeiCase{"1,000,000,000,000,000", "1", ""}, KeiCase{",", "1", ""}));

TEST(KeiSort, ClickingAKeiColumnSortsByValueWithMissingValuesLowest)
{
    KeywordList list;
    const int google = ListColumns::EngineCell(list, 0);
    // KEI for Google: 2.00, none, 100.00, 0.50
    list.AppendRow(1, "a", "10");
    list.SetCellText(0, google, "50");
    list.AppendRow(2, "b", "10");
    list.AppendRow(3, "c", "1,000");
    list.SetCellText(2, google, "10,000");
    list.AppendRow(4, "d", "1");
    list.SetCellText(3, google, "2");

    SortState sort;
    AsciiCaseInsensitiveCollator collator;
    const int keiGoogle = ListColumns::StoredColumnCount(list);
    ColumnClick(list, sort, keiGoogle, collator);
    std::string order;
    for (int row = 0; row < list.CountRows(); ++row)
        order += list.RowCaption(row);
    EXPECT_EQ(order, "2413");
    ColumnClick(list, sort, keiGoogle, collator);
    order.clear();
    for (int row = 0; row < list.CountRows(); ++row)
        order += list.RowCaption(row);
    EXPECT_EQ(order, "3142");
}

} // namespace
