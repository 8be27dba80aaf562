#include "util/html_text.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

namespace {

// --- CutBetween ------------------------------------------------------------------------

struct CutCase {
    const char* Name;
    std::string Working;
    std::string Start;
    std::string End;
    std::string Fragment;
    std::string WorkingAfter;
};

class CutBetweenTable : public testing::TestWithParam<CutCase> {};

TEST_P(CutBetweenTable, CutsAndMovesTheWorkingText)
{
    const CutCase& c = GetParam();
    std::string working = c.Working;
    EXPECT_EQ(CutBetween(working, c.Start, c.End), c.Fragment);
    EXPECT_EQ(working, c.WorkingAfter);

    std::string_view view = c.Working;
    EXPECT_EQ(CutBetween(view, c.Start, c.End), c.Fragment);
    EXPECT_EQ(view, c.WorkingAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutBetweenTable,
    testing::Values(
        CutCase{"StartMissing", "abc<td>1</td>", "<th>", "</td>", "", "abc<td>1</td>"},
        CutCase{"EmptyStart", "abc<td>1</td>", "", "</td>", "", "abc<td>1</td>"},
        CutCase{"EndMissing", "x<td>1 and more", "<td>", "</td>", "", "1 and more"},
        CutCase{"EmptyEnd", "x<td>1</td>", "<td>", "", "", "1</td>"},
        CutCase{"EndRightAfterStart", "a<td></td>b", "<td>", "</td>", "", "</td>b"},
        CutCase{"FoldsAsciiLetters", "<tr><td>42</td>", "<TR><TD>", "</TD>", "42", "</td>"},
        CutCase{"FragmentKeepsPageCase", "<B>MiXeD</b>", "<b>", "</B>", "MiXeD", "</b>"},
        CutCase{"StartAtTextEnd", "abc<td>", "<td>", "</td>", "", ""},
        CutCase{"FirstOccurrenceWins", "<a>1<a>2</a>", "<a>", "</a>", "1<a>2", "</a>"},
        CutCase{"EndSearchedOnlyAfterStart", "</a>x<a>y</a>", "<a>", "</a>", "y", "</a>"},
        // Bytes above 127 are not folded: only the same byte matches.
        CutCase{"HighByteMatchesItself", "x\xe9:1;", "\xe9:", ";", "1", ";"},
        CutCase{"HighByteNotFolded", "x\xc9:1;", "\xe9:", ";", "", "x\xc9:1;"},
        // Only 'a'..'z' fold; '[' (0x5B) is not the upper case of '{' (0x7B).
        CutCase{"PunctuationNotFolded", "x{1]", "[", "]", "", "x{1]"},
        CutCase{"MarkerLongerThanText", "<t", "<td>", "</td>", "", "<t"}),
    [](const testing::TestParamInfo<CutCase>& info) { return info.param.Name; });

TEST(CutBetween, RepeatedCutsWalkThroughRows)
{
    std::string working = "<td>1</td><td>2</td>";
    EXPECT_EQ(CutBetween(working, "<td>", "</td>"), "1");
    EXPECT_EQ(CutBetween(working, "<td>", "</td>"), "2");
    EXPECT_EQ(CutBetween(working, "<td>", "</td>"), "");
    EXPECT_EQ(working, "</td>");
}

TEST(CutBetween, SkipThenTakeReadsTheValueAfterTheSecondMarker)
{
    std::string working = "<b>1</b> of about <b>2,340</b> for";
    CutBetween(working, "of about", "<b>");
    EXPECT_EQ(CutBetween(working, "<b>", "</b>"), "2,340");

    // With the first marker absent the second call takes the first value anywhere.
    std::string other = "<b>1</b> of many <b>2</b>";
    CutBetween(other, "of about", "<b>");
    EXPECT_EQ(CutBetween(other, "<b>", "</b>"), "1");
}

TEST(CutBetween, FieldBeforeTheCurrentPositionIsNoLongerFound)
{
    std::string working = "random=7;seed=9;";
    EXPECT_EQ(CutBetween(working, "seed=", ";"), "9");
    EXPECT_EQ(CutBetween(working, "random=", ";"), "");
}

// --- ReplaceAll ------------------------------------------------------------------------

struct ReplaceCase {
    const char* Name;
    std::string Text;
    std::string Find;
    std::string With;
    std::string Result;
};

class ReplaceAllTable : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTable, ReplacesUntilNoneIsLeft)
{
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(ReplaceAll(c.Text, c.Find, c.With), c.Result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTable,
    testing::Values(
        ReplaceCase{"EmptyFind", "abc", "", "x", "abc"},
        ReplaceCase{"NotFound", "abc", "d", "x", "abc"},
        ReplaceCase{"EmptyText", "", "a", "x", ""},
        ReplaceCase{"CaseSensitive", "aAa", "A", "b", "aba"},
        ReplaceCase{"EveryOccurrence", "a-b-c", "-", "+=", "a+=b+=c"},
        ReplaceCase{"FormedWithTextBefore", "a&amp;amp;b", "&amp;", "&", "a&b"},
        ReplaceCase{"FormedWithTextAfter", "xabb", "ab", "a", "xa"},
        ReplaceCase{"FormedAcrossTheReplacement", "aXXbbc", "Xb", "", "ac"},
        ReplaceCase{"LongerReplacement", "ab", "b", "cc", "acc"},
        ReplaceCase{"WholeText", "<b>", "<b>", "", ""}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return info.param.Name; });

// A pair that could replace without end is refused, whatever the text: the find text
// inside the replacement, a replacement as long as a find text of more than one byte
// (aab -> abbaa -> bbaabaa -> ... with "ab" and "bbaa"), or longer.
TEST(ReplaceAll, RefusesAPairThatMightNeverEnd)
{
    const struct {
        const char* text;
        const char* find;
        const char* with;
    } refused[] = {
        {"a", "a", "aa"}, {"xx", "x", "yxy"}, {"aab", "ab", "bbaa"}, {"ba", "ba", "ab"}, {"ab", "ab", "bba"},
        {"no occurrence", "ab", "ba"},
    };
    for (const auto& c : refused)
        EXPECT_THROW(ReplaceAll(c.text, c.find, c.with), std::invalid_argument) << c.find << " -> " << c.with;
}

// Every pair of the clean-up is shorter than its find text or replaces one byte that it
// does not hold.
TEST(ReplaceAll, AcceptsEveryKindOfCleanUpPair)
{
    EXPECT_EQ(ReplaceAll("a&amp;amp;b", "&amp;", "&"), "a&b");
    EXPECT_EQ(ReplaceAll("a\tb\tc", "\t", " "), "a b c");
    EXPECT_EQ(ReplaceAll("\"q\"", "\"", ""), "q");
    EXPECT_EQ(ReplaceAll("aaa", "a", "bb"), "bbbbbb");
}

// The operation as defined: replace the first occurrence, search again from the start.
std::string ReplaceFromStartEachTime(std::string text, const std::string& find, const std::string& with)
{
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find))
        text.replace(at, find.size(), with);
    return text;
}

TEST(ReplaceAll, MatchesSearchingAgainFromTheStartOnRandomTexts)
{
    // A two-letter alphabet makes overlapping and newly formed occurrences common.
    const std::pair<std::string, std::string> pairs[] = {
        {"ab", ""}, {"ab", "b"}, {"aab", "a"}, {"aba", "b"}, {"baa", "ab"},
        {"abab", "a"}, {"b", "aa"}, {"aa", "b"}, {"bab", ""}, {"a", "bb"}};
    std::mt19937 random(20240501);
    for (int round = 0; round < 4000; ++round) {
        std::string text(random() % 24, 'a');
        for (char& c : text)
            c = (random() % 2) ? 'a' : 'b';
        const auto& [find, with] = pairs[round % std::size(pairs)];
        ASSERT_EQ(ReplaceAll(text, find, with), ReplaceFromStartEachTime(text, find, with))
            << "text " << text << " find " << find << " with " << with;
    }
}

// --- CleanHtml -------------------------------------------------------------------------

struct CleanCase {
    const char* Name;
    std::string Fragment;
    std::string Result;
};

class CleanHtmlTable : public testing::TestWithParam<CleanCase> {};

TEST_P(CleanHtmlTable, Cleans)
{
    EXPECT_EQ(CleanHtml(GetParam().Fragment), GetParam().Result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CleanHtmlTable,
    testing::Values(
        CleanCase{"BoldNumberWithBlanks", "  <b>12,345</b>", "12,345"},
        CleanCase{"InnerBlanksKept", "a  b", "a  b"},
        CleanCase{"UpperBrBecomesSpace", "a<BR>b", "a b"},
        CleanCase{"FormedBrDisappears", "a<B<b>R>b", "ab"},
        CleanCase{"LowerBrBecomesSpace", "a<br>b", "a b"},
        CleanCase{"SelfClosingBrDisappears", "a<br />b", "ab"},
        CleanCase{"QuotesRemoved", "\"golf\" \"clubs\"", "golf clubs"},
        CleanCase{"LineBreaksAndTabsBecomeSpaces", "a\r\nb\tc", "a  b c"},
        CleanCase{"TrimsControlBytes", "\x01\x1f x \x7f\x20\x02", "x \x7f"},
        CleanCase{"EscapedNbsp", "a&amp;nbsp;b", "a b"},
        CleanCase{"DoubleEscapedAmp", "a&amp;amp;b", "a&b"},
        CleanCase{"Apostrophe", "it&#039;s", "it's"},
        CleanCase{"TelAndFax", "Tel : 1 Fax : 2", "1 2"},
        CleanCase{"ParagraphsUpperAndLower", "<p>a</p><P>b</P>", "a b"},
        CleanCase{"TableTags", "<table><tr><td>1</td><TD>2</TD></tr><TR></TR></table>", "12"},
        CleanCase{"OtherMarkupRemoved",
                  "<strong>a</strong><em>b</em><u>c</u><i>d</i><hr><h3>e</h3><H3>f</H3>"
                  "</INVALID><wbr><blockquote>g</font></FONT></th><B>h</B>",
                  "abcdefgh"},
        CleanCase{"MixedCaseAndAttributesUntouched", "<Strong>x</Strong><font color=red>y",
                  "<Strong>x</Strong><font color=red>y"},
        CleanCase{"OnlyMarkup", " <b></b>&nbsp;", ""},
        CleanCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<CleanCase>& info) { return info.param.Name; });

} // namespace
