#include "core/results_file_name.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* Name;
    std::string Keyword;
    std::string Proposed;
};

class ProposedNameCases : public testing::TestWithParam<NameCase> {};

TEST_P(ProposedNameCases, ProposesWhatAFileSystemHolds)
{
    EXPECT_EQ(ProposedResultsFileName(GetParam().Keyword), GetParam().Proposed);
}

INSTANTIATE_TEST_SUITE_P(
    , ProposedNameCases,
    testing::Values(NameCase{"Plain", "golf clubs", "golf clubs.csv"},
                    NameCase{"Empty", "", ""},
                    NameCase{"PathSeparators", "a/b\\c", "a_b_c.csv"},
                    NameCase{"ParentFolder", "../../etc/passwd", "_._.._etc_passwd.csv"},
                    NameCase{"ReservedElsewhere", "a:b*c?d\"e<f>g|h", "a_b_c_d_e_f_g_h.csv"},
                    NameCase{"ControlBytes", std::string("a\nb\tc\x7f", 6) + std::string(1, '\0') + "d",
                             "a_b_c__d.csv"},
                    NameCase{"HiddenFile", ".profile", "_profile.csv"},
                    NameCase{"Utf8Kept", "caf\xc3\xa9 cr\xc3\xa8me", "caf\xc3\xa9 cr\xc3\xa8me.csv"}),
    [](const testing::TestParamInfo<NameCase>& info) { return info.param.Name; });

TEST(ProposedResultsFileName, ALongKeywordIsCutWithoutSplittingACharacter)
{
    // 126 two-byte characters: the cut at 251 bytes falls inside the 126th.
    std::string keyword;
    for (int i = 0; i < 126; ++i)
        keyword += "\xc3\xa9";
    const std::string name = ProposedResultsFileName(keyword);
    EXPECT_EQ(name, keyword.substr(0, 250) + ".csv");
    EXPECT_LE(name.size(), 255u);

    EXPECT_EQ(ProposedResultsFileName(std::string(300, 'k')), std::string(251, 'k') + ".csv");
}

TEST(SavedStatusText, NamesTheRowsAndTheFile)
{
    EXPECT_EQ(SavedStatusText(41, "/home/ann/golf clubs.csv"), "Saved 41 rows to /home/ann/golf clubs.csv");
    EXPECT_EQ(SavedStatusText(1, "/tmp/a.csv"), "Saved 1 row to /tmp/a.csv");
}

} // namespace
