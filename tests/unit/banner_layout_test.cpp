#include "core/banner_layout.h"

#include <gtest/gtest.h>

namespace {

struct CentreCase {
    int PanelWidth, PanelHeight, ControlWidth, ControlHeight;
    int Left, Top;
};

class CenteredOriginTest : public testing::TestWithParam<CentreCase> {};

TEST_P(CenteredOriginTest, DividesEachHalfSeparately)
{
    const CentreCase& c = GetParam();
    const ControlOrigin origin = CenteredOrigin(c.PanelWidth, c.PanelHeight, c.ControlWidth, c.ControlHeight);
    EXPECT_EQ(origin.Left, c.Left);
    EXPECT_EQ(origin.Top, c.Top);
}

INSTANTIATE_TEST_SUITE_P(Banners, CenteredOriginTest,
                         testing::Values(CentreCase{747, 65, 105, 105, 321, -20},
                                         CentreCase{746, 65, 105, 105, 321, -20}, // not (746 - 105) / 2 = 320
                                         CentreCase{746, 64, 105, 104, 321, -20},
                                         CentreCase{100, 70, 100, 60, 0, 5}));

} // namespace
