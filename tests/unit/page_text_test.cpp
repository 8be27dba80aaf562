#include "core/page_text.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

struct PageCase {
    const char* Name;
    std::string Body;
    std::string Page;
};

class PageTextTest : public testing::TestWithParam<PageCase> {};

TEST_P(PageTextTest, EveryLineEndsInCrLf)
{
    EXPECT_EQ(ToPageText(GetParam().Body), GetParam().Page);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, PageTextTest,
    testing::Values(PageCase{"LoneLf", "a\nb\n", "a\r\nb\r\n"}, PageCase{"LoneCr", "a\rb", "a\r\nb\r\n"},
                    PageCase{"CrLfKept", "a\r\nb\r\n", "a\r\nb\r\n"},
                    PageCase{"NoFinalBreak", "<html>", "<html>\r\n"},
                    PageCase{"BlankLines", "a\n\n\r\rb", "a\r\n\r\n\r\n\r\nb\r\n"},
                    PageCase{"LfCrIsTwoBreaks", "a\n\rb", "a\r\n\r\nb\r\n"},
                    PageCase{"NulCutsThePage", "a\nb\0c\n"s, "a\r\nb\r\n"},
                    PageCase{"LeadingNul", "\0abc"s, ""}, PageCase{"Empty", "", ""},
                    PageCase{"OnlyABreak", "\n", "\r\n"}, PageCase{"TrailingCr", "a\r", "a\r\n"},
                    PageCase{"CrLfAfterLoneCrs", "a\rb\rc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
                    PageCase{"HighBytesUntouched", "caf\xe9\tx", "caf\xe9\tx\r\n"}),
    [](const testing::TestParamInfo<PageCase>& info) { return info.param.Name; });

} // namespace
