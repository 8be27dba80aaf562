#include "core/security_challenge.h"

#include <gtest/gtest.h>

namespace {

const std::string RandomInput = "<input type=\"hidden\" name=\"random\" value=\"";
const std::string SeedInput = "<input type=\"hidden\" name=\"seed\" value=\"";
// Where the challenge pages of these cases came from.
const std::string PageAddress = "http://h:8301/tool/challenge.html?seed=golf";

struct ChallengeCase {
    const char* Name;
    std::string Page;
    SecurityChallenge Expected;
};

class ReadChallengeTest : public testing::TestWithParam<ChallengeCase> {};

TEST_P(ReadChallengeTest, CutsRandomSeedThenTheImageAddress)
{
    const SecurityChallenge read = ReadChallenge(GetParam().Page, PageAddress);
    EXPECT_EQ(read.Random, GetParam().Expected.Random);
    EXPECT_EQ(read.Seed, GetParam().Expected.Seed);
    EXPECT_EQ(read.ImageURL, GetParam().Expected.ImageURL);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadChallengeTest,
    testing::Values(
        ChallengeCase{"InOrder",
                      "<p>Please enter the characters in the image</p>" + RandomInput + "5f3a\">\r\n" + SeedInput +
                          "golf+clubs\">\r\n<img src=\"http://h:81/captcha.png?random=5f3a&amp;type=security\">",
                      {"5f3a", "golf+clubs", "http://h:81/captcha.png?random=5f3a&type=security"}},
        ChallengeCase{"SeedBeforeRandom",
                      SeedInput + "golf\">" + RandomInput + "5f3a\"><img src=\"http://h/i.png\">",
                      {"5f3a", "", "http://h/i.png"}},
        ChallengeCase{"ImageBeforeTheInputs",
                      "<img src=\"http://h/first.png\">" + RandomInput + "1\">" + SeedInput + "s\"><script src=\"x.js\">",
                      {"1", "s", "http://h:8301/tool/x.js"}},
        ChallengeCase{"ImageOnlyBeforeTheInputs",
                      "<img src=\"http://h/first.png\">" + RandomInput + "1\">" + SeedInput + "s\">", {"1", "s", ""}},
        ChallengeCase{"UpperCaseMarkers",
                      "<INPUT TYPE=\"HIDDEN\" NAME=\"RANDOM\" VALUE=\"R1\"><INPUT TYPE=\"HIDDEN\" NAME=\"SEED\" "
                      "VALUE=\"Golf\"><IMG SRC=\"HTTP://H/I.PNG?A=1&AMP;B=2\">",
                      {"R1", "Golf", "HTTP://H/I.PNG?A=1&AMP;B=2"}},
        ChallengeCase{"DoubleEscapedAmpersandReadOnce",
                      RandomInput + "1\">" + SeedInput + "s\"><img src=\"http://h/i?a=1&amp;amp;b=2&amp;&amp;c\">",
                      {"1", "s", "http://h/i?a=1&amp;b=2&&c"}},
        ChallengeCase{"OtherEntitiesStay",
                      RandomInput + "&quot;1\">" + SeedInput + "a&amp;b\"><img src=\"http://h/i?q=&quot;x&quot;\">",
                      {"&quot;1", "a&amp;b", "http://h/i?q=&quot;x&quot;"}},
        ChallengeCase{"RelativeToThePagesFolder",
                      RandomInput + "1\">" + SeedInput + "s\"><img src=\"pics/../captcha.png?r=1&amp;t=s\">",
                      {"1", "s", "http://h:8301/tool/captcha.png?r=1&t=s"}},
        ChallengeCase{"AbsolutePath", RandomInput + "1\">" + SeedInput + "s\"><img src=\"/captcha.png\">",
                      {"1", "s", "http://h:8301/captcha.png"}},
        ChallengeCase{"SchemeRelative", RandomInput + "1\">" + SeedInput + "s\"><img src=\"//img.example/c.png\">",
                      {"1", "s", "http://img.example/c.png"}},
        ChallengeCase{"EmptySourceStaysEmpty", RandomInput + "1\">" + SeedInput + "s\"><img src=\"\">", {"1", "s", ""}},
        ChallengeCase{"NoMarkersAtAll", "<html>Please enter the characters in the image</html>", {"", "", ""}},
        ChallengeCase{"UnterminatedValue", RandomInput + "5f3a", {"", "", ""}}),
    [](const testing::TestParamInfo<ChallengeCase>& info) { return info.param.Name; });

TEST(ReplaceAmpersandEntitiesOnceTest, OnePassFromLeftToRight)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"a&amp;b", "a&b"},
        {"&amp;amp;", "&amp;"},
        {"&amp;amp;amp;", "&amp;amp;"},
        {"&&amp;amp;;", "&&amp;;"},
        {"&am&amp;p;", "&am&p;"},
        {"&AMP;", "&AMP;"},
        {"&amp", "&amp"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ReplaceAmpersandEntitiesOnce(text), expected) << text;
}

} // namespace
