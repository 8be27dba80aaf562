#include "gui/gauge.h"

#include <gtest/gtest.h>

namespace {

TEST(Gauge, StartsAtZeroOfAHundredShownAsAPercentage)
{
    Gauge gauge;
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(gauge.text(), "0%");
    gauge.SetProgress(42);
    EXPECT_EQ(gauge.text(), "42%");
}

TEST(Gauge, ValuesAreKeptInRange)
{
    Gauge gauge;
    gauge.SetMaxValue(5000);
    gauge.SetProgress(7000);
    EXPECT_EQ(gauge.Progress(), 5000);
    EXPECT_EQ(gauge.text(), "100%");
    gauge.SetProgress(-3);
    EXPECT_EQ(gauge.Progress(), 0);
}

TEST(Gauge, AMaximumBelowTheValueLowersIt)
{
    Gauge gauge;
    gauge.SetMaxValue(1000);
    gauge.SetProgress(800);
    gauge.SetMaxValue(300);
    EXPECT_EQ(gauge.Progress(), 300);
    EXPECT_EQ(gauge.text(), "100%");
}

TEST(Gauge, AMaximumOfZeroIsAnEmptyBarNotABusyOne)
{
    Gauge gauge;
    gauge.SetProgress(50);
    gauge.SetMaxValue(0);
    gauge.SetProgress(12345);
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_LT(gauge.minimum(), gauge.maximum()) << "an empty range makes Qt draw a busy bar";
    EXPECT_EQ(gauge.value(), gauge.minimum());
    EXPECT_EQ(gauge.text(), "0%");
}

} // namespace
