#include "core/cell_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct Utf8Case {
    const char* Name;
    std::string Bytes;
    bool Valid;
};

class Utf8Test : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Test, TellsValidUtf8)
{
    EXPECT_EQ(IsValidUtf8(GetParam().Bytes), GetParam().Valid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Test,
    testing::Values(Utf8Case{"Empty", "", true}, Utf8Case{"Ascii", "golf clubs, 1,234", true},
                    Utf8Case{"NulIsAscii", "a\0b"s, true},
                    Utf8Case{"TwoThreeAndFourBytes", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", true},
                    Utf8Case{"LongAsciiThenAccent", std::string(40, 'a') + "\xC3\xA9", true},
                    Utf8Case{"Windows1252Accent", "caf\xE9", false},
                    Utf8Case{"InvalidAfterLongAscii", std::string(17, 'a') + "\xE9" + std::string(17, 'b'), false},
                    Utf8Case{"LoneContinuation", "\x80", false}, Utf8Case{"TruncatedSequence", "\xE2\x82", false},
                    Utf8Case{"OverlongSlash", "\xC0\xAF", false}, Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", false},
                    Utf8Case{"Surrogate", "\xED\xA0\x80", false}, Utf8Case{"AboveUnicode", "\xF4\x90\x80\x80", false},
                    Utf8Case{"HighestCodePoint", "\xF4\x8F\xBF\xBF", true},
                    Utf8Case{"FiveByteLead", "\xF8\x88\x80\x80\x80", false}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return info.param.Name; });

TEST(Windows1252, BytesStandForTheirCharacters)
{
    EXPECT_EQ(Windows1252Character('a'), u'a');
    EXPECT_EQ(Windows1252Character(0xE9), u'\u00E9'); // é
    EXPECT_EQ(Windows1252Character(0x80), u'\u20AC'); // euro sign
    EXPECT_EQ(Windows1252Character(0x93), u'\u201C'); // left double quote
    EXPECT_EQ(Windows1252Character(0x9F), u'\u0178'); // Y with diaeresis
    EXPECT_EQ(Windows1252Character(0x81), u'\u0081'); // undefined in the code page
    EXPECT_EQ(Windows1252Character(0xA0), u'\u00A0');
}

TEST(DisplayedCellBytes, ShortCellsAreShownWhole)
{
    bool cut = true;
    const std::string cell(MaxDisplayedCellBytes, 'x');
    EXPECT_EQ(DisplayedCellBytes(cell, true, cut), cell);
    EXPECT_FALSE(cut);
}

TEST(DisplayedCellBytes, ALongCellIsCutOnACharacterBoundary)
{
    bool cut = false;
    // A three-byte character straddles the limit: it is left out whole.
    const std::string cell = std::string(MaxDisplayedCellBytes - 1, 'x') + "\xE2\x82\xAC" + "tail";
    EXPECT_EQ(DisplayedCellBytes(cell, true, cut), std::string(MaxDisplayedCellBytes - 1, 'x'));
    EXPECT_TRUE(cut);
    // As Windows-1252 every byte is a character of its own.
    EXPECT_EQ(DisplayedCellBytes(cell, false, cut).size(), MaxDisplayedCellBytes);
    EXPECT_TRUE(cut);
}

} // namespace
