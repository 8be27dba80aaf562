#include "core/keyword_suggestions.h"
#include "support/core/recording_ui.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

const char* const Root = "http://suggest.test:8301";
const char* const WrongPassword = "Wrong password. Do you want try again?";

TEST(SuggestionRequestTest, SpacesBecomePlusAndEverythingElseStays)
{
    const std::pair<const char*, const char*> cases[] = {
        {"golf clubs", "/?seed=golf+clubs&adult_filter=remove_offensive&suggest=Hit+Me"},
        {"c++ & b", "/?seed=c+++&+b&adult_filter=remove_offensive&suggest=Hit+Me"},
        {" c# tips", "/?seed=+c#+tips&adult_filter=remove_offensive&suggest=Hit+Me"},
        {"caf\xe9 %22x%22", "/?seed=caf\xe9+%22x%22&adult_filter=remove_offensive&suggest=Hit+Me"},
    };
    for (const auto& [keyword, target] : cases)
        EXPECT_EQ(SuggestionsRequestURL(Root, keyword), std::string(Root) + target) << keyword;
}

TEST(SuggestionRequestTest, TheAnswerCarriesTheThreeValuesAsTheyAre)
{
    EXPECT_EQ(ChallengeAnswerURL(Root, "ab cd", "5f3a", "golf+clubs"),
              std::string(Root) + "/keyword-suggestion-tool.html?password=ab cd&random=5f3a&seed=golf+clubs");
    EXPECT_EQ(ChallengeAnswerURL(Root, "a+b&c#d", "", ""),
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
    ParseSuggestions(TableTop + Row("12,345", "golf clubs") + Row(" <b>9,870</b> ", "women&#039;s golf&nbsp;clubs") +
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
    ParseSuggestions(page, list, status);
    ASSERT_EQ(list.CountRows(), 12);
    EXPECT_EQ((Listed{list.RowCaption(10), list.CellText(10, 0), list.CellText(10, 1)}), (Listed{"11", "golf", "5"}));
    EXPECT_EQ(list.RowCaption(11), "12");
    EXPECT_EQ(status.RowCountStatus.front(), "11 items listed");
    EXPECT_EQ(list.CellText(0, KeywordRow::Keywords), "kept 1");

    // After a deletion the next number is the row count plus one, so numbers can repeat.
    list.DeleteRow(0);
    ParseSuggestions(page, list, status);
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
    ParseSuggestions(GetParam().Page, list, status);
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
        GatherKeywords(mainKeyword, Root, list, host, prompter, status);
    }

    std::string Answer(const std::string& password, const std::string& random, const std::string& seed)
    {
        return ChallengeAnswerURL(Root, password, random, seed);
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
    EXPECT_EQ(host.FetchedURLs, std::vector<std::string>{SuggestionsRequestURL(Root, "golf clubs")});
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
              (std::vector<std::string>{SuggestionsRequestURL(Root, "golf clubs"), Answer("wrong", "r1", "golf"),
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

} // namespace
