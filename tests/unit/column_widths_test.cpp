#include "core/column_widths.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

// The design widths of a table with `engines` engine columns.
std::vector<int> Design(int engines)
{
    std::vector<int> widths;
    for (int column = 0; column < 3 + engines; ++column)
        widths.push_back(DesignColumnWidth(column));
    return widths;
}

int Sum(const std::vector<int>& widths)
{
    return std::accumulate(widths.begin(), widths.end(), 0);
}

TEST(FitColumnWidths, DesignWidthsAtTheDesignSize)
{
    EXPECT_EQ(Design(3), (std::vector<int>{49, 132, 132, 104, 104, 104}));
    EXPECT_EQ(FitColumnWidths(Design(3), 0, 0), Design(3));
    // Narrower than designed: nothing goes below its design width.
    EXPECT_EQ(FitColumnWidths(Design(3), 0, -300), Design(3));
}

TEST(FitColumnWidths, TheKeywordsColumnTakesWhatTheWindowGains)
{
    for (int engines : {1, 3, 8}) {
        const std::vector<int> fitted = FitColumnWidths(Design(engines), 0, 853);
        EXPECT_EQ(Sum(fitted), Sum(Design(engines)) + 853) << engines;
        EXPECT_EQ(fitted[1], 132 + 853) << engines;
    }
    // And gives it back as the window shrinks again.
    EXPECT_EQ(FitColumnWidths(FitColumnWidths(Design(3), 0, 853), 0, 0), Design(3));
}

TEST(FitColumnWidths, AColumnNarrowedBelowItsDesignWidthComesBack)
{
    std::vector<int> narrowed = Design(3);
    narrowed[2] = 20;
    EXPECT_EQ(FitColumnWidths(narrowed, 0, 0), Design(3));
}

TEST(FitColumnWidths, TheNumberColumnGrowsAndShrinksWithItsWidestNumber)
{
    const std::vector<int> wide = FitColumnWidths(Design(3), 80, 0);
    EXPECT_EQ(wide[0], 80);
    EXPECT_EQ(wide[1], 132);
    EXPECT_EQ(FitColumnWidths(wide, 0, 0)[0], 49);
}

TEST(FitColumnWidths, AColumnTheUserWidenedKeepsItsWidth)
{
    std::vector<int> widened = Design(3);
    widened[3] = 300;
    const std::vector<int> fitted = FitColumnWidths(widened, 0, 400);
    EXPECT_EQ(fitted[3], 300);
    EXPECT_EQ(fitted[1], 532);
}

} // namespace
