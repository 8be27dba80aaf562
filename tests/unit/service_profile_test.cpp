#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "core/keyword_suggestions.h"
#include "core/result_counts.h"
#include "core/service_profile_reader.h"
#include "support/core/temp_dir.h"

#include <gtest/gtest.h>

namespace {

const IniFile NoSettings = IniFile::FromText({});

ServiceAddresses LocalRoots()
{
    ServiceAddresses roots;
    roots.GoogleURL = "http://g.test";
    roots.YahooURL = "http://y.test:8080";
    roots.MsnURL = "http://m.test";
    roots.SuggestURL = "http://s.test";
    return roots;
}

ProfileLoad Read(const std::string& text, const IniFile& settings = NoSettings)
{
    const ServiceAddresses roots = LocalRoots();
    return ReadServiceProfile(IniFile::FromText(text), "p.ini", {settings, roots});
}

std::vector<std::string> Names(const ServiceProfile& profile)
{
    std::vector<std::string> names;
    for (const EngineProfile& engine : profile.Engines)
        names.push_back(engine.Name);
    return names;
}

const char* const MinimalEngine = "Name=E\nPrecise=http://e.test/?q={keyword}\nStart=<b>\nEnd=</b>\n";

TEST(BuiltInProfileFileTest, LoadingTheWrittenOutProfileGivesByteIdenticalRequests)
{
    const ServiceAddresses roots = LocalRoots();
    const IniFile settings = IniFile::FromText("[Services]\nGoogleURL=http://g.test\n");
    const ServiceProfile builtIn = BuiltInProfile({settings, roots});
    const ProfileLoad file = LoadServiceProfile(TALVIRA_EXAMPLE_PROFILES "/builtin.ini", {settings, roots});
    ASSERT_TRUE(file.Errors.empty()) << file.Errors.front();
    ASSERT_EQ(Names(file.Profile), (std::vector<std::string>{"Google", "Yahoo", "Msn"}));
    ASSERT_EQ(Names(builtIn), Names(file.Profile));

    const char* const keywords[] = {"golf clubs", " c# &x ", "caf\xc3\xa9 %22q%22", "", "a\tb"};
    for (std::size_t e = 0; e < builtIn.Engines.size(); ++e) {
        const EngineProfile& ours = builtIn.Engines[e];
        const EngineProfile& theirs = file.Profile.Engines[e];
        for (const char* keyword : keywords)
            for (int mode : {0, 1})
                EXPECT_EQ(SearchRequestURL(theirs, keyword, mode), SearchRequestURL(ours, keyword, mode)) << keyword;
        EXPECT_EQ(theirs.Format, PageFormat::Markers);
        EXPECT_EQ(theirs.Skip, ours.Skip);
        EXPECT_EQ(theirs.Start, ours.Start);
        EXPECT_EQ(theirs.End, ours.End);
        EXPECT_TRUE(theirs.Headers.empty());
    }
    ASSERT_TRUE(builtIn.Suggest && file.Profile.Suggest);
    const SuggestProfile& ours = *builtIn.Suggest;
    const SuggestProfile& theirs = *file.Profile.Suggest;
    for (const char* keyword : keywords) {
        EXPECT_EQ(SuggestionsRequestURL(theirs, keyword), SuggestionsRequestURL(ours, keyword));
        EXPECT_EQ(ChallengeAnswerURL(theirs, keyword, {"a b", "r&1", "s+2"}),
                  ChallengeAnswerURL(ours, keyword, {"a b", "r&1", "s+2"}));
    }
    EXPECT_EQ(std::tie(theirs.After, theirs.CountStart, theirs.CountEnd, theirs.PhraseStart, theirs.PhraseEnd,
                       theirs.Challenge),
              std::tie(ours.After, ours.CountStart, ours.CountEnd, ours.PhraseStart, ours.PhraseEnd, ours.Challenge));
    EXPECT_EQ(theirs.Expand, KeywordExpansion::None);
}

TEST(BuiltInProfileTest, HasTheHistoricalRequestsAndMarkers)
{
    const ServiceAddresses roots = LocalRoots();
    const ServiceProfile profile = BuiltInProfile({NoSettings, roots});
    ASSERT_EQ(profile.Engines.size(), 3u);
    EXPECT_EQ(SearchRequestURL(profile.Engines[1], "golf clubs", 0), "http://y.test:8080/search?p=%22golf+clubs%22");
    EXPECT_EQ(profile.Engines[1].Start, "of ");
    EXPECT_EQ(profile.Engines[1].End, " for ");
    EXPECT_EQ(profile.Engines[2].Skip, "<span id=\"count\">");
    EXPECT_EQ(profile.Engines[2].Start, " of ");
    EXPECT_EQ(profile.Suggest->PhraseStart, "\">");
    EXPECT_EQ(profile.Suggest->Challenge, "Please enter the characters in the image");
    for (const EngineProfile& engine : profile.Engines)
        EXPECT_EQ(std::tie(engine.DelayMs, engine.JitterMs, engine.Blocked), std::make_tuple(0, 0, std::string()));
}

TEST(ServiceProfileReaderTest, EnginesInNumberOrderSkippedNumbersAllowed)
{
    const ProfileLoad load = Read("[Engine3]\n" + std::string(MinimalEngine) + "Name=Third\n" +
                                  "[engine1]\nName=First\nPrecise=http://a.test/{keyword}\nStart=x\nEnd=y\n"
                                  "[Engine9]\nName=Ninth\nPrecise=http://n.test/\nStart=x\nEnd=y\n");
    EXPECT_TRUE(load.Errors.empty());
    EXPECT_EQ(Names(load.Profile), (std::vector<std::string>{"First", "E"}));
    EXPECT_FALSE(load.Profile.Suggest);
}

TEST(ServiceProfileReaderTest, EveryEngineKeyIsRead)
{
    const ProfileLoad load = Read("[Services]\nRegion=de\n"
                                  "[Engine1]\nName=API\nKey=k 1\n"
                                  "Precise=https://api.test/v1?key={key}&q=%22{keyword:url}%22&r={root:Region}\n"
                                  "Broad={root:GoogleURL}/b?q={keyword}\nFormat=JSON\nCount=/a~1b/0\n"
                                  "Header1=X-Key: {key}\nHeader3=Accept: application/json\n"
                                  "Delay=1500\nJitter=250\nBlocked=unusual traffic\n",
                                  IniFile::FromText("[Services]\nRegion=de\n"));
    ASSERT_TRUE(load.Errors.empty()) << load.Errors.front();
    const EngineProfile& engine = load.Profile.Engines.at(0);
    EXPECT_EQ(SearchRequestURL(engine, "caf\xc3\xa9 bar", 0), "https://api.test/v1?key=k 1&q=%22caf%C3%A9%20bar%22&r=de");
    EXPECT_EQ(SearchRequestURL(engine, "caf\xc3\xa9 bar", 1), "http://g.test/b?q=caf\xc3\xa9+bar");
    EXPECT_EQ(engine.Format, PageFormat::Json);
    EXPECT_EQ(engine.Count.Tokens(), (std::vector<std::string>{"a/b", "0"}));
    EXPECT_EQ(SearchRequestHeaders(engine, "x"), (std::vector<std::string>{"X-Key: k 1", "Accept: application/json"}));
    EXPECT_EQ(std::tie(engine.DelayMs, engine.JitterMs, engine.Blocked),
              std::make_tuple(1500, 250, std::string("unusual traffic")));
}

TEST(ServiceProfileReaderTest, BroadMissingUsesPrecise)
{
    const EngineProfile engine = Read(std::string("[Engine1]\n") + MinimalEngine).Profile.Engines.at(0);
    EXPECT_EQ(SearchRequestURL(engine, "a b", 1), "http://e.test/?q=a+b");
    EXPECT_EQ(SearchRequestURL(engine, "a b", 0), "http://e.test/?q=a+b");
}

TEST(ServiceProfileReaderTest, TheSuggestSectionIsRead)
{
    const ProfileLoad load = Read(std::string("[Engine1]\n") + MinimalEngine +
                                  "[Suggest]\nURL=http://s.test/ac?q={keyword:url}\nFormat=json\nItems=/1\nPhrase=\n"
                                  "Count=/n\nExpand=Alphabet\nChallenge=Are you human\n"
                                  "AnswerURL=http://s.test/a?k={keyword}&x={answer}&r={random}&s={seed}\n"
                                  "Header2=Referer: http://s.test/\n");
    ASSERT_TRUE(load.Errors.empty()) << load.Errors.front();
    const SuggestProfile& suggest = *load.Profile.Suggest;
    EXPECT_EQ(suggest.Format, PageFormat::Json);
    EXPECT_EQ(suggest.Items.Tokens(), std::vector<std::string>{"1"});
    EXPECT_TRUE(suggest.Phrase.Tokens().empty());
    ASSERT_TRUE(suggest.Count);
    EXPECT_EQ(suggest.Expand, KeywordExpansion::Alphabet);
    EXPECT_EQ(ChallengeAnswerURL(suggest, "a b", {"p w", "r", "s"}), "http://s.test/a?k=a+b&x=p w&r=r&s=s");
    EXPECT_EQ(SuggestionsRequestHeaders(suggest, "a"), std::vector<std::string>{"Referer: http://s.test/"});
}

struct RefusalCase {
    const char* Name;
    std::string Section;
    std::string Reason; // part of the message
};

class ProfileRefusalTest : public testing::TestWithParam<RefusalCase> {};

// Each faulty section is refused, named with its reason, and the rest still read.
TEST_P(ProfileRefusalTest, TheSectionIsRefusedWithItsReason)
{
    const RefusalCase& c = GetParam();
    const bool suggest = c.Section.starts_with("[Suggest]");
    const std::string good = std::string(suggest ? "[Engine1]\n" : "[Engine2]\n") + MinimalEngine;
    const ProfileLoad load = Read(c.Section + "\n" + good);
    ASSERT_EQ(load.Errors.size(), 1u);
    const std::string section = suggest ? "[Suggest]" : "[Engine1]";
    EXPECT_NE(load.Errors[0].find("Service profile \"p.ini\", section " + section + ": "), std::string::npos)
        << load.Errors[0];
    EXPECT_NE(load.Errors[0].find(c.Reason), std::string::npos) << load.Errors[0];
    EXPECT_EQ(load.Profile.Engines.size(), 1u);
    EXPECT_FALSE(load.Profile.Suggest);
}

const std::string Engine1 = "[Engine1]\nName=N\nStart=a\nEnd=b\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, ProfileRefusalTest,
    testing::Values(
        RefusalCase{"NoName", "[Engine1]\nPrecise=http://x/\nStart=a\nEnd=b", "Name is missing"},
        RefusalCase{"NoPrecise", "[Engine1]\nName=N\nBroad=http://x/\nStart=a\nEnd=b", "Precise is missing"},
        RefusalCase{"UnknownPlaceholder", Engine1 + "Precise=http://x/?q={kw}", "unknown placeholder {kw}"},
        RefusalCase{"EmptyPlaceholder", Engine1 + "Precise=http://x/?q={}", "unknown placeholder {}"},
        RefusalCase{"ChallengeValueInAnEngine", Engine1 + "Precise=http://x/?q={answer}",
                    "unknown placeholder {answer}"},
        RefusalCase{"UnknownInBroad", Engine1 + "Precise=http://x/\nBroad=http://x/{Keyword}",
                    "Broad holds the unknown placeholder {Keyword}"},
        RefusalCase{"KeyUsedButEmpty", Engine1 + "Precise=http://x/?k={key}", "uses {key}, but Key is empty"},
        RefusalCase{"ControlByte", Engine1 + "Precise=http://x/\r?q={keyword}", "control character"},
        RefusalCase{"UnknownFormat", Engine1 + "Precise=http://x/\nFormat=xml", "Format \"xml\""},
        RefusalCase{"MarkersWithoutEnd", "[Engine1]\nName=N\nPrecise=http://x/\nStart=a", "End is missing"},
        RefusalCase{"JsonWithoutCount", "[Engine1]\nName=N\nPrecise=http://x/\nFormat=json", "Count is missing"},
        RefusalCase{"CountNotAPointer", "[Engine1]\nName=N\nPrecise=http://x/\nFormat=json\nCount=a/b",
                    "Count is not a JSON pointer"},
        RefusalCase{"CountWithBadEscape", "[Engine1]\nName=N\nPrecise=http://x/\nFormat=json\nCount=/a~2",
                    "Count is not a JSON pointer"},
        RefusalCase{"HeaderWithoutColon", Engine1 + "Precise=http://x/\nHeader2=X-Key abc",
                    "Header2 is not a \"Name: value\" line"},
        RefusalCase{"HeaderNameWithBlank", Engine1 + "Precise=http://x/\nHeader1=X Key: abc", "Header1 is not"},
        RefusalCase{"HeaderNameWithPlaceholder", Engine1 + "Key=k\nPrecise=http://x/\nHeader4={key}: abc",
                    "Header4 is not"},
        RefusalCase{"NegativeDelay", Engine1 + "Precise=http://x/\nDelay=-1", "Delay is not a number"},
        RefusalCase{"DelayWithUnit", Engine1 + "Precise=http://x/\nDelay=100ms", "Delay is not a number"},
        RefusalCase{"JitterTooLong", Engine1 + "Precise=http://x/\nJitter=3600001", "Jitter is not a number"},
        RefusalCase{"SuggestWithoutURL", "[Suggest]\nFormat=json\nItems=/1", "URL is missing"},
        RefusalCase{"SuggestMarkersIncomplete",
                    "[Suggest]\nURL=http://s/\nAfter=</tfoot>\nCountStart=<td>\nCountEnd=</td>\nPhraseStart=>",
                    "PhraseEnd is missing"},
        RefusalCase{"SuggestJsonWithoutItems", "[Suggest]\nURL=http://s/\nFormat=json", "Items is missing"},
        RefusalCase{"SuggestPhraseNotAPointer", "[Suggest]\nURL=http://s/\nFormat=json\nItems=/1\nPhrase=x",
                    "Phrase is not a JSON pointer"},
        RefusalCase{"SuggestChallengeWithoutAnswer",
                    "[Suggest]\nURL=http://s/\nFormat=json\nItems=/1\nChallenge=Type the letters",
                    "AnswerURL is missing"},
        RefusalCase{"SuggestBadExpand", "[Suggest]\nURL=http://s/\nFormat=json\nItems=/1\nExpand=digits",
                    "Expand \"digits\""}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.Name; });

TEST(ServiceProfileReaderTest, WithoutAnyUsableEngineTheBuiltInProfileIsUsed)
{
    for (const std::string& text : {std::string("[Suggest]\nURL=http://s/\nFormat=json\nItems=/1\n"),
                                    std::string("[Engine1]\nPrecise=http://x/\n"), std::string("just text")}) {
        const ProfileLoad load = Read(text);
        ASSERT_FALSE(load.Errors.empty());
        EXPECT_NE(load.Errors.back().find("has no usable engine section"), std::string::npos) << load.Errors.back();
        EXPECT_EQ(Names(load.Profile), (std::vector<std::string>{"Google", "Yahoo", "Msn"}));
        ASSERT_TRUE(load.Profile.Suggest);
        EXPECT_EQ(SuggestionsRequestURL(*load.Profile.Suggest, "x"),
                  "http://s.test/?seed=x&adult_filter=remove_offensive&suggest=Hit+Me");
    }
}

TEST(ServiceProfileReaderTest, EightEnginesWithLongestValuesAreRead)
{
    // Every value at the reader's limit: each is cut there, and each section still reads.
    const std::string longest(IniFile::MaxValueLength, 'v');
    std::string text;
    for (int n = 1; n <= 8; ++n)
        text += "[Engine" + std::to_string(n) + "]\nName=" + longest + "\nPrecise=http://x/" + longest +
                "\nBroad=" + longest + "x" + "\nSkip=" + longest + "\nStart=" + longest + "\nEnd=" + longest +
                "\nKey=" + longest + "\nHeader1=X: " + longest + "\nHeader2=Y: {key}\nBlocked=" + longest + "\n";
    const ProfileLoad load = Read(text);
    EXPECT_TRUE(load.Errors.empty());
    ASSERT_EQ(load.Profile.Engines.size(), 8u);
    EXPECT_EQ(load.Profile.Engines[7].Name.size(), IniFile::MaxValueLength);
    EXPECT_EQ(SearchRequestHeaders(load.Profile.Engines[7], "k")[1], "Y: " + longest);
}

TEST(ProfileFileNameTest, TheChosenFileWinsAndABareNameLiesBesideTheSettings)
{
    const IniFile bare = IniFile::FromText("[Services]\nProfile=mine.ini\n");
    const IniFile path = IniFile::FromText("[Services]\nProfile=/etc/talvira/mine.ini\n");
    EXPECT_EQ(ProfileFileName(bare, "/opt/talvira/", ""), "/opt/talvira/mine.ini");
    EXPECT_EQ(ProfileFileName(path, "/opt/talvira/", ""), "/etc/talvira/mine.ini");
    EXPECT_EQ(ProfileFileName(bare, "/opt/talvira/", "given.ini"), "given.ini");
    EXPECT_EQ(ProfileFileName(NoSettings, "/opt/talvira/", ""), "");
}

TEST(LoadServiceProfileTest, AFileThatCannotBeReadNamesItAndGivesTheBuiltInProfile)
{
    const TempDir folder;
    const ServiceAddresses roots = LocalRoots();
    for (const std::string& name : {(folder.Path() / "missing.ini").string(), folder.Path().string()}) {
        const ProfileLoad load = LoadServiceProfile(name, {NoSettings, roots});
        ASSERT_EQ(load.Errors.size(), 1u);
        EXPECT_EQ(load.Errors[0], "The service profile \"" + name + "\" cannot be read; the built-in profile is used.");
        EXPECT_EQ(Names(load.Profile), (std::vector<std::string>{"Google", "Yahoo", "Msn"}));
    }
    const ProfileLoad none = LoadServiceProfile("", {NoSettings, roots});
    EXPECT_TRUE(none.Errors.empty());
    EXPECT_EQ(none.Profile.Engines.size(), 3u);

    const std::string file = folder.WriteFile("two.ini", std::string("[Engine1]\n") + MinimalEngine + "[Engine2]\n" +
                                                             MinimalEngine + "Name=F\n");
    const ProfileLoad two = LoadServiceProfile(file, {NoSettings, roots});
    EXPECT_TRUE(two.Errors.empty());
    EXPECT_EQ(Names(two.Profile), (std::vector<std::string>{"E", "E"}));
}

TEST(RequestTemplateTest, PlaceholdersAreFilledAsTheyPromise)
{
    const auto root = [](const std::string& name) { return "<" + name + ">"; };
    struct Case {
        const char* Text;
        const char* Keyword;
        const char* Expected;
    };
    const Case cases[] = {
        {"q={keyword}", "golf  clubs", "q=golf++clubs"},
        {"q={keyword}", "a+b&c%22#d", "q=a+b&c%22#d"},
        {"q={keyword:url}", "caf\xc3\xa9 golf", "q=caf%C3%A9%20golf"},
        {"q={keyword:url}", "a-b.c_d~e+f&g/h", "q=a-b.c_d~e%2Bf%26g%2Fh"},
        {"{root:Base}/x?k={key}", "", "<Base>/x?k=K"},
        {"x}{keyword}{", "k", "x}k{"},
    };
    for (const Case& c : cases) {
        std::string unknown;
        const std::optional<RequestTemplate> compiled = RequestTemplate::Compile(c.Text, "K", root, false, unknown);
        ASSERT_TRUE(compiled) << c.Text << " " << unknown;
        EXPECT_EQ(compiled->Expand(TemplateValues::ForKeyword(c.Keyword)), c.Expected) << c.Text;
    }
}

TEST(RequestTemplateTest, AHeaderNeverGetsALineBreakFromTheKeyword)
{
    std::string unknown;
    const auto compiled =
        RequestTemplate::Compile("X-Q: {keyword}", "", [](const std::string&) { return ""; }, false, unknown);
    ASSERT_TRUE(compiled);
    EXPECT_EQ(compiled->ExpandHeader(TemplateValues::ForKeyword("a\r\nHost: evil\x7f")), "X-Q: a%0D%0AHost:+evil%7F");
}

} // namespace
