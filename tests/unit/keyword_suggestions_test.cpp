#include "core/keyword_suggestions.h"
#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "core/service_profile_reader.h"
#include "support/core/recording_ui.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

const char* const Root = "http://suggest.test:8301";
const char* const WrongPassword = "Wrong password. Do you want try again?";

// The built-in suggestion source with a local root.
const SuggestProfile& Local()
{
    static const SuggestProfile source = [] {
        ServiceAddresses roots;
        roots.SuggestURL = Root;
        return *BuiltInProfile({IniFile::FromText({}), roots}).Suggest;
    }();
    return source;
}

TEST(SuggestionRequestTest, SpacesBecomePlusAndEverythingElseStays)
{
    const std::pair<const char*, const char*> cases[] = {
        {"golf clubs", "/?seed=golf+clubs&adult_filter=remove_offensive&suggest=Hit+Me"},
        {"c++ & b", "/?seed=c+++&+b&adult_filter=remove_offensive&suggest=Hit+Me"},
        {" c# tips", "/?seed=+c#+tips&adult_filter=remove_offensive&suggest=Hit+Me"},
        {"caf\xe9 %22x%22", "/?seed=caf\xe9+%22x%22&adult_filter=remove_offensive&suggest=Hit+Me"},
    };
    for (const auto& [keyword, target] : cases)
        EXPECT_EQ(SuggestionsRequestURL(Local(), keyword), std::string(Root) + target) << keyword;
}

TEST(SuggestionRequestTest, TheAnswerCarriesTheThreeValuesAsTheyAre)
{
    EXPECT_EQ(ChallengeAnswerURL(Local(), {}, {"ab cd", "5f3a", "golf+clubs"}),
              std::string(Root) + "/keyword-suggestion-tool.html?password=ab cd&random=5f3a&seed=golf+clubs");
    EXPECT_EQ(ChallengeAnswerURL(Local(), {}, {"a+b&c#d", "", ""}),
              std::string(Root) + "/keyword-suggestion-tool.html?password=a+b&c#d&random=&seed=");
}

std::string Row(const std::string& count, const std::string& phrase)
{
    return "<tr><td>" + count + "</td><td class=kw><a href=\"/?seed=x\">" + phrase + "</a></td></tr>\r\n";
}

const std::string TableTop = "<table><tfoot><tr><td colspan=\"2\">foot</td></tr></tfoot>\r\n<tbody>\r\n";

struct Listed {
    std::string Caption;
    std::string Keywords;
    std::string Searches;
    bool operator==(const Listed&) const = default;
};

void PrintTo(const Listed& row, std::ostream* out)
{
    *out << "{" << row.Caption << ", [" << row.Keywords << "], " << row.Searches << "}";
}

class ParseSuggestionsTest : public testing::Test {
protected:
    std::vector<Listed> Rows() const
    {
        std::vector<Listed> rows;
        for (int row = 0; row < list.CountRows(); ++row)
            rows.push_back({list.RowCaption(row), list.CellText(row, KeywordRow::Keywords),
                            list.CellText(row, KeywordRow::Searches)});
        return rows;
    }

    KeywordList list;
    RecordingStatus status;
};

TEST_F(ParseSuggestionsTest, EveryRowAfterTheFootWithItsCountAndCleanedPhrase)
{
    ParseSuggestions(Local(), TableTop + Row("12,345", "golf clubs") + Row(" <b>9,870</b> ", "women&#039;s golf&nbsp;clubs") +
                         Row("870", "golf clubs &amp;amp; bags <em>cheap</em>") + "</tbody></table>",
                     list, status);
    EXPECT_EQ(Rows(), (std::vector<Listed>{{"1", "golf clubs", "12,345"},
                                           {"2", "women's golf clubs", "9,870"},
                                           {"3", "golf clubs & bags cheap", "870"}}));
    for (int row = 0; row < list.CountRows(); ++row)
        for (int cell : {KeywordRow::Google, KeywordRow::Yahoo, KeywordRow::Msn})
            EXPECT_EQ(list.CellText(row, cell), "");
    EXPECT_EQ(status.RowCountStatus, (std::vector<std::string>{"1 items listed", "2 items listed", "3 items listed"}));
    EXPECT_TRUE(status.MainStatus.empty());
}

TEST_F(ParseSuggestionsTest, NumbersGoOnFromTheRowsListedAndDuplicatesStay)
{
    for (int i = 1; i <= 10; ++i)
        list.AppendRow(i, "kept " + std::to_string(i), "");
    const std::string page = TableTop + Row("5", "golf") + Row("4", "golf");
    ParseSuggestions(Local(), page, list, status);
    ASSERT_EQ(list.CountRows(), 12);
    EXPECT_EQ((Listed{list.RowCaption(10), list.CellText(10, 0), list.CellText(10, 1)}), (Listed{"11", "golf", "5"}));
    EXPECT_EQ(list.RowCaption(11), "12");
    EXPECT_EQ(status.RowCountStatus.front(), "11 items listed");
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "kept 1");

    // After a deletion the next number is the row count plus one, so numbers can repeat.
    list.DeleteRow(0);
    ParseSuggestions(Local(), page, list, status);
    EXPECT_EQ(list.RowCaption(11), "12");
    EXPECT_EQ(list.RowCaption(12), "13");
}

struct PageCase {
    const char* Name;
    std::string Page;
    std::vector<Listed> Rows;
};

class ParseSuggestionsPageTest : public ParseSuggestionsTest, public testing::WithParamInterface<PageCase> {};

TEST_P(ParseSuggestionsPageTest, ReadsWhatTheMarkerRulesFind)
{
    ParseSuggestions(Local(), GetParam().Page, list, status);
    EXPECT_EQ(Rows(), GetParam().Rows);
    EXPECT_EQ(status.RowCountStatus.size(), GetParam().Rows.size());
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ParseSuggestionsPageTest,
    testing::Values(
        PageCase{"FootOnlyInUpperCase", "<TFOOT></TFOOT>\r\n<tbody>" + Row("5", "golf"), {}},
        PageCase{"NoFoot", Row("5", "golf"), {}},
        PageCase{"UpperCaseRowsAfterALowerCaseFoot",
                 TableTop + "<TR><TD>5</TD><TD><A HREF=\"x\">GOLF</A>",
                 {{"1", "GOLF", "5"}}},
        PageCase{"ACountCellOfMarkupEndsTheReading",
                 TableTop + Row("5", "a") + Row("<b></b>", "b") + Row("3", "c"), {{"1", "a", "5"}}},
        PageCase{"ACountCellOfBlanksEndsTheReading",
                 TableTop + Row("5", "a") + Row(" \t\r\n", "b") + Row("3", "c"), {{"1", "a", "5"}}},
        PageCase{"CountsWithoutALinkAfterThem",
                 TableTop + "<tr><td>5</td><td>no link</td></tr><tr><td>4</td></tr>",
                 {{"1", "", "5"}, {"2", "", "4"}}},
        PageCase{"ALinkWithoutItsEnd", TableTop + "<tr><td>5</td><td><a href=\"x\">open", {{"1", "", "5"}}},
        // The foot cut stops at the end of the first tag after it: a row that begins right
        // there has lost its "<tr>" to that cut.
        PageCase{"ARowRightAfterTheFoot", "</tfoot>" + Row("5", "a") + Row("4", "b"), {{"1", "b", "4"}}},
        PageCase{"NoRowsAfterTheFoot", TableTop + "</tbody></table>", {}},
        PageCase{"EmptyPage", "", {}}),
    [](const testing::TestParamInfo<PageCase>& info) { return info.param.Name; });

// A window that answers from a script: pages to fetch and answers to give.
struct ScriptedFetch {
    bool Succeeds;
    std::string Page;
    bool Stopped = false; // refused at once: the page is left as it was
};

class ScriptedSuggestionHost : public SuggestionHost {
public:
    std::deque<ScriptedFetch> Fetches;
    std::deque<ChallengeAnswer> Answers;
    std::vector<std::string> FetchedURLs;
    std::vector<std::string> ChallengePages;

    bool FetchPage(const std::string& url, std::string& page) override
    {
        FetchedURLs.push_back(url);
        const std::string kept = page;
        page.clear();
        if (Fetches.empty()) {
            ADD_FAILURE() << "unexpected fetch of " << url;
            return false;
        }
        const ScriptedFetch fetch = Fetches.front();
        Fetches.pop_front();
        if (fetch.Stopped) {
            page = kept;
            return false;
        }
        if (fetch.Succeeds)
            page = fetch.Page;
        return fetch.Succeeds;
    }

    bool FetchPageWith(const std::string& url, const std::vector<std::string>& headers, std::string& page) override
    {
        FetchedHeaders.push_back(headers);
        return FetchPage(url, page);
    }
    std::vector<std::vector<std::string>> FetchedHeaders;

    ChallengeAnswer AnswerChallenge(const std::string& challengePage) override
    {
        ChallengePages.push_back(challengePage);
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected challenge dialog";
            return {};
        }
        const ChallengeAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
};

std::string ChallengePage(const std::string& random)
{
    return "<p>Please enter the characters in the image</p><input type=\"hidden\" name=\"random\" value=\"" + random +
           "\">";
}

const std::string ResultPage = TableTop + Row("1,200", "golf clubs") + Row("300", "golf <b>bags</b>");

class GatherKeywordsTest : public ParseSuggestionsTest {
protected:
    void Gather(const std::string& mainKeyword = "golf clubs")
    {
        GatherKeywords(mainKeyword, Local(), list, host, prompter, status);
    }

    std::string Answer(const std::string& password, const std::string& random, const std::string& seed)
    {
        return ChallengeAnswerURL(Local(), {}, {password, random, seed});
    }

    ScriptedSuggestionHost host;
    ScriptedPrompter prompter;
};

TEST_F(GatherKeywordsTest, AnEmptyMainKeywordIsRefusedWithoutAFetch)
{
    Gather("");
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, "Please enter a main keyword before gather keywords.");
    EXPECT_EQ(prompter.Asked[0].Buttons, MessageButtons::Ok);
    EXPECT_TRUE(host.FetchedURLs.empty());
}

TEST_F(GatherKeywordsTest, ResultsStraightAwayAreRead)
{
    host.Fetches = {{true, ResultPage}};
    Gather();
    EXPECT_EQ(host.FetchedURLs, std::vector<std::string>{SuggestionsRequestURL(Local(), "golf clubs")});
    EXPECT_EQ(Rows(), (std::vector<Listed>{{"1", "golf clubs", "1,200"}, {"2", "golf bags", "300"}}));
    EXPECT_TRUE(host.ChallengePages.empty());
    EXPECT_TRUE(prompter.Asked.empty());
}

TEST_F(GatherKeywordsTest, AFailedFirstFetchEndsTheCommandQuietly)
{
    host.Fetches = {{false, ""}};
    Gather();
    EXPECT_EQ(list.CountRows(), 0);
    EXPECT_TRUE(host.ChallengePages.empty());
    EXPECT_TRUE(prompter.Asked.empty());
}

TEST_F(GatherKeywordsTest, ARightAnswerIsSentWithTheDialogsValuesAndItsResultsRead)
{
    host.Fetches = {{true, ChallengePage("r1")}, {true, ResultPage}};
    host.Answers = {{"KX7MA", "r1", "golf+clubs"}};
    Gather();
    EXPECT_EQ(host.ChallengePages, std::vector<std::string>{ChallengePage("r1")});
    ASSERT_EQ(host.FetchedURLs.size(), 2u);
    EXPECT_EQ(host.FetchedURLs[1], Answer("KX7MA", "r1", "golf+clubs"));
    EXPECT_TRUE(prompter.Asked.empty());
    EXPECT_EQ(list.CountRows(), 2);
}

TEST_F(GatherKeywordsTest, AWrongAnswerAsksAndOkShowsANewDialogForTheNewChallenge)
{
    host.Fetches = {{true, ChallengePage("r1")}, {true, ChallengePage("r2")}, {true, ResultPage}};
    host.Answers = {{"wrong", "r1", "golf"}, {"right", "r2", "golf"}};
    prompter.Answers = {mrOk};
    Gather();
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, WrongPassword);
    EXPECT_EQ(prompter.Asked[0].Buttons, MessageButtons::OkCancel);
    EXPECT_EQ(host.ChallengePages, (std::vector<std::string>{ChallengePage("r1"), ChallengePage("r2")}));
    EXPECT_EQ(host.FetchedURLs,
              (std::vector<std::string>{SuggestionsRequestURL(Local(), "golf clubs"), Answer("wrong", "r1", "golf"),
                                        Answer("right", "r2", "golf")}));
    EXPECT_EQ(list.CountRows(), 2);
}

TEST_F(GatherKeywordsTest, CancelAfterAWrongAnswerEndsWithoutReading)
{
    // The second challenge page also holds a table: nothing of it is read.
    host.Fetches = {{true, ChallengePage("r1")}, {true, ChallengePage("r2") + ResultPage}};
    host.Answers = {{"wrong", "r1", "golf"}};
    prompter.Answers = {mrCancel};
    Gather();
    EXPECT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(host.ChallengePages.size(), 1u);
    EXPECT_EQ(list.CountRows(), 0);
    EXPECT_TRUE(status.RowCountStatus.empty());
}

TEST_F(GatherKeywordsTest, AFailedAnswerFetchEndsWithNothingReadAndNoQuestion)
{
    host.Fetches = {{true, ChallengePage("r1")}, {false, ""}};
    host.Answers = {{"x", "r1", "golf"}};
    Gather();
    EXPECT_TRUE(prompter.Asked.empty());
    EXPECT_EQ(host.ChallengePages.size(), 1u);
    EXPECT_EQ(list.CountRows(), 0);
}

TEST_F(GatherKeywordsTest, AStopWhileTheDialogIsUpEndsWithoutAskingAgain)
{
    host.Fetches = {{true, ChallengePage("r1")}, {false, "", true}};
    host.Answers = {{"x", "r1", "golf"}};
    Gather();
    EXPECT_TRUE(prompter.Asked.empty());
    EXPECT_EQ(host.ChallengePages.size(), 1u);
    EXPECT_EQ(list.CountRows(), 0);
}

TEST_F(GatherKeywordsTest, ThePromptCountsOnlyInItsOwnLetterCase)
{
    host.Fetches = {{true, "PLEASE ENTER THE CHARACTERS IN THE IMAGE" + ResultPage}};
    Gather();
    EXPECT_TRUE(host.ChallengePages.empty());
    EXPECT_EQ(list.CountRows(), 2);
}

// A JSON suggestion source asked for the main keyword and its alphabet expansions.
class ExpandedSourceTest : public GatherKeywordsTest {
protected:
    SuggestProfile Source(const std::string& extra)
    {
        const ServiceAddresses roots;
        const ProfileLoad load = ReadServiceProfile(
            IniFile::FromText("[Engine1]\nName=E\nPrecise=http://e/\nStart=a\nEnd=b\n"
                              "[Suggest]\nURL=http://s.test/ac?q={keyword:url}\nFormat=json\nItems=/1\nPhrase=\n"
                              "Key=k9\nHeader1=X-Key: {key}\n" + extra),
            "s.ini", {IniFile::FromText({}), roots});
        EXPECT_TRUE(load.Errors.empty());
        return *load.Profile.Suggest;
    }

    static std::string OpenSearch(const std::vector<std::string>& phrases)
    {
        std::string page = "[\"seed\",[";
        for (const std::string& phrase : phrases)
            page += (page.back() == '[' ? "\"" : ",\"") + phrase + "\"";
        return page + "]]";
    }
};

TEST_F(ExpandedSourceTest, AlphabetAsksThirtySevenTimesAndListsEachPhraseOnce)
{
    const SuggestProfile source = Source("Expand=alphabet\n");
    host.Fetches.push_back({true, OpenSearch({"golf", "golf clubs", "Golf  Clubs", "golf bags"})});
    host.Fetches.push_back({true, OpenSearch({"golf accessories", " GOLF CLUBS ", "golf bags"})});
    host.Fetches.push_back({true, "<html>not json</html>"});
    for (int i = 3; i < 37; ++i)
        host.Fetches.push_back({true, OpenSearch({"golf bags", "golf \\u00c9t\\u00e9"})});
    // The first asks once; the later ones repeat it in another letter case.
    host.Fetches.back() = {true, OpenSearch({"GOLF \\u00e9T\\u00c9", "golf 9 holes"})};
    GatherKeywords("golf", source, list, host, prompter, status);

    ASSERT_EQ(host.FetchedURLs.size(), 37u);
    EXPECT_EQ(host.FetchedURLs[0], "http://s.test/ac?q=golf");
    EXPECT_EQ(host.FetchedURLs[1], "http://s.test/ac?q=golf%20a");
    EXPECT_EQ(host.FetchedURLs[26], "http://s.test/ac?q=golf%20z");
    EXPECT_EQ(host.FetchedURLs[27], "http://s.test/ac?q=golf%200");
    EXPECT_EQ(host.FetchedURLs[36], "http://s.test/ac?q=golf%209");
    EXPECT_EQ(host.FetchedHeaders.front(), std::vector<std::string>{"X-Key: k9"});
    EXPECT_EQ(Rows(), (std::vector<Listed>{{"1", "golf", ""},
                                           {"2", "golf clubs", ""},
                                           {"3", "golf bags", ""},
                                           {"4", "golf accessories", ""},
                                           {"5", "golf \xc3\x89t\xc3\xa9", ""},
                                           {"6", "golf 9 holes", ""}}));
    EXPECT_EQ(status.RowCountStatus.back(), "6 items listed");
}

TEST_F(ExpandedSourceTest, WithoutExpansionRepeatsAreListedAsTheSourceGivesThem)
{
    host.Fetches = {{true, OpenSearch({"golf", "GOLF", "golf"})}};
    GatherKeywords("golf", Source(""), list, host, prompter, status);
    EXPECT_EQ(host.FetchedURLs.size(), 1u);
    EXPECT_EQ(list.CountRows(), 3);
}

TEST_F(ExpandedSourceTest, AFailedFetchEndsTheExpansion)
{
    host.Fetches = {{true, OpenSearch({"golf"})}, {false, ""}};
    GatherKeywords("golf", Source("Expand=alphabet\n"), list, host, prompter, status);
    EXPECT_EQ(host.FetchedURLs.size(), 2u);
    EXPECT_EQ(list.CountRows(), 1);
}

TEST_F(ExpandedSourceTest, AChallengeOfTheProfileIsAnsweredAtItsOwnAddress)
{
    const SuggestProfile source =
        Source("Challenge=Prove you are human\nAnswerURL=http://s.test/verify?k={keyword}&a={answer}&r={random}\n");
    host.Fetches = {{true, "<p>Prove you are human</p>"}, {true, OpenSearch({"golf"})},
                    {true, "Please enter the characters in the image"}};
    host.Answers = {{"ab c", "r1", "s1"}};
    GatherKeywords("golf", source, list, host, prompter, status);
    EXPECT_EQ(host.FetchedURLs,
              (std::vector<std::string>{"http://s.test/ac?q=golf", "http://s.test/verify?k=golf&a=ab c&r=r1"}));
    EXPECT_EQ(host.ChallengePages, std::vector<std::string>{"<p>Prove you are human</p>"});
    EXPECT_EQ(list.CountRows(), 1);

    // The built-in prompt is no challenge for this source: no dialog, nothing to read.
    GatherKeywords("golf", source, list, host, prompter, status);
    EXPECT_EQ(host.ChallengePages.size(), 1u);
    EXPECT_EQ(list.CountRows(), 1);
}

TEST_F(GatherKeywordsTest, AProfileWithoutASuggestionSourceSaysSo)
{
    GatherKeywords("golf", std::nullopt, list, host, prompter, status);
    ASSERT_EQ(prompter.Asked.size(), 1u);
    EXPECT_EQ(prompter.Asked[0].Text, "The service profile has no suggestion source.");
    EXPECT_TRUE(host.FetchedURLs.empty());
}

TEST(PhraseKeyTest, BlanksCollapsedAndLetterCaseIgnored)
{
    const std::pair<const char*, const char*> same[] = {
        {"Golf  Clubs", "golf clubs"},
        {" golf\tclubs\r\n", "golf clubs"},
        {"\xc3\x9c" "BER golf", "\xc3\xbc" "ber golf"}, // U with diaeresis
        {"\xd0\x93\xd0\x9e\xd0\x9b\xd0\xac\xd0\xa4", "\xd0\xb3\xd0\xbe\xd0\xbb\xd1\x8c\xd1\x84"}, // Cyrillic
    };
    for (const auto& [a, b] : same)
        EXPECT_EQ(PhraseKey(a), PhraseKey(b)) << a;
    EXPECT_NE(PhraseKey("golfclubs"), PhraseKey("golf clubs"));
    EXPECT_EQ(PhraseKey("A\xff\xc3"), "a\xff\xc3") << "bytes that are not UTF-8 stay";
}

} // namespace
