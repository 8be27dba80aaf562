// The pages of the suggestion service read with the program's marker rules (the tests'
// own cut helper), not with the code that writes them.
#include "challenge.h"
#include "html_text.h"
#include "marker_cut.h"
#include "result_count.h"
#include "suggestion_pages.h"
#include "suggestions.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct ReadRow {
    std::string Count;
    std::string Phrase; // as the page writes it, markup included
};

// The reader's walk: skip past the table foot to the end of the next tag, then count
// cells and the link text after each, until a count cell is missing or blank.
std::vector<ReadRow> ReadRows(const std::string& page)
{
    std::vector<ReadRow> rows;
    if (page.find("</tfoot>") == std::string::npos)
        return rows;
    std::string working = page;
    CutBetween(working, "</tfoot>", ">");
    while (true) {
        std::string count = CutBetween(working, "<tr><td>", "</td>");
        if (count.find_first_not_of(" \t\r\n") == std::string::npos)
            return rows;
        std::string phrase = CutBetween(working, "\">", "</a>");
        rows.push_back({ count, phrase });
    }
}

// Seeds that try to put the reader's markers, the prompt or markup into the page.
const std::vector<std::string> seeds = {
    "golf clubs",
    "GOLF Clubs",
    "c++ & c#",
    "</tfoot><tr><td>1</td>\"></a>",
    "\"><tr><td>",
    "Please enter the characters in the image",
    "caf\xe9 cr\xe8me",
    "a&amp;b",
    std::string(3000, 'x'),
};

TEST(SuggestionPageTest, TheReaderFindsEveryRowWithItsCountAndPhrase)
{
    for (const std::string& seed : seeds) {
        const std::vector<Suggestion> suggestions = MakeSuggestions(seed);
        const std::vector<ReadRow> rows = ReadRows(RenderSuggestionPage(seed, suggestions, PageFeatures::Present));
        ASSERT_EQ(rows.size(), suggestions.size()) << seed.substr(0, 40);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].Count, WithThousandsSeparators(suggestions[i].Searches)) << seed.substr(0, 40) << " row " << i;
            EXPECT_EQ(rows[i].Phrase, suggestions[i].Html) << seed.substr(0, 40) << " row " << i;
        }
    }
}

TEST(SuggestionPageTest, ASeedGivesThirtyToFiftyDistinctPhrasesMostSearchedFirst)
{
    for (const std::string& seed : seeds) {
        const std::vector<Suggestion> suggestions = MakeSuggestions(seed);
        ASSERT_GE(suggestions.size(), 30u);
        ASSERT_LE(suggestions.size(), 50u);
        EXPECT_EQ(suggestions[0].Phrase, std::string(seed).substr(0, maximumSeedLength));
        std::set<std::string> phrases;
        for (std::size_t i = 0; i < suggestions.size(); ++i) {
            phrases.insert(suggestions[i].Phrase);
            EXPECT_GE(suggestions[i].Searches, 1u);
            if (i > 0) {
                EXPECT_LE(suggestions[i].Searches, suggestions[i - 1].Searches);
            }
        }
        EXPECT_EQ(phrases.size(), suggestions.size());
    }
}

TEST(SuggestionPageTest, TheReadmesWorkedExample)
{
    const std::vector<Suggestion> suggestions = MakeSuggestions("golf clubs");
    ASSERT_EQ(suggestions.size(), 41u);
    EXPECT_EQ(suggestions[0].Phrase, "golf clubs");
    EXPECT_EQ(WithThousandsSeparators(suggestions[0].Searches), "122,507");
    EXPECT_EQ(suggestions[1].Phrase, "golf clubs store");
    EXPECT_EQ(WithThousandsSeparators(suggestions[1].Searches), "108,051");
    EXPECT_EQ(suggestions[2].Html, "<strong>golf clubs</strong> prices");
}

TEST(SuggestionPageTest, TheSameTableForTheSameSeedWhateverItsLetterCase)
{
    const std::vector<Suggestion> lower = MakeSuggestions("golf clubs");
    const std::vector<Suggestion> mixed = MakeSuggestions("Golf Clubs");
    ASSERT_EQ(lower.size(), mixed.size());
    for (std::size_t i = 0; i < lower.size(); ++i)
        EXPECT_EQ(lower[i].Searches, mixed[i].Searches);
    EXPECT_NE(MakeSuggestions("soccer")[0].Searches, lower[0].Searches);
}

TEST(SuggestionPageTest, PhrasesCarryMarkupAndEntitiesAndCountsThousandsSeparators)
{
    // Over the whole template list (fifty seeds see every template several times).
    std::set<std::string> kinds;
    bool separator = false;
    for (int i = 0; i < 50; ++i) {
        for (const Suggestion& suggestion : MakeSuggestions("seed " + std::to_string(i))) {
            for (const char* kind : { "&amp;", "&amp;amp;", "&nbsp;", "&#039;", "<b>", "<em>", "<strong>", "<wbr>",
                     "<br>", "<u>", "<i>", "\t" })
                if (suggestion.Html.find(kind) != std::string::npos)
                    kinds.insert(kind);
            separator = separator || WithThousandsSeparators(suggestion.Searches).find(',') != std::string::npos;
        }
    }
    EXPECT_EQ(kinds.size(), 12u);
    EXPECT_TRUE(separator);
}

TEST(SuggestionPageTest, ABlankSeedHasNoRowsAndAPageWithoutFeaturesNone)
{
    for (const char* blank : { "", "   ", "\t" }) {
        EXPECT_TRUE(MakeSuggestions(blank).empty());
        const std::string page = RenderSuggestionPage(blank, {}, PageFeatures::Present);
        EXPECT_NE(page.find("</tfoot>"), std::string::npos);
        EXPECT_TRUE(ReadRows(page).empty());
    }
    const std::string page = RenderSuggestionPage("golf", MakeSuggestions("golf"), PageFeatures::Absent);
    EXPECT_EQ(page.find("</tfoot>"), std::string::npos);
    EXPECT_EQ(page.find("</TFOOT>"), std::string::npos);
}

TEST(SuggestionPageTest, OnlyTheChallengePageHoldsThePrompt)
{
    EXPECT_EQ(RenderSuggestionPage("golf", MakeSuggestions("golf"), PageFeatures::Present).find(challengePrompt),
        std::string::npos);
    EXPECT_NE(RenderChallengePage("golf", "0123abcd", "http://h/captcha.png?random=0123abcd&type=security")
                  .find(challengePrompt),
        std::string::npos);
}

TEST(SuggestionPageTest, TheChallengeIsReadInOrderRandomSeedThenThePictureAddress)
{
    const std::string address = "http://127.0.0.1:8301/captcha.png?random=0123abcd&type=security";
    for (const std::string& seed : seeds) {
        std::string working = RenderChallengePage(seed, "0123abcd", address);
        EXPECT_EQ(CutBetween(working, "<input type=\"hidden\" name=\"random\" value=\"", "\""), "0123abcd");
        const std::string sentSeed = CutBetween(working, "<input type=\"hidden\" name=\"seed\" value=\"", "\"");
        EXPECT_EQ(sentSeed, FormEncode(seed)) << seed.substr(0, 40);
        EXPECT_EQ(sentSeed.find_first_of(" &#\""), std::string::npos) << "goes back into a query unchanged";
        const std::string source = CutBetween(working, "src=\"", "\"");
        EXPECT_EQ(source, "http://127.0.0.1:8301/captcha.png?random=0123abcd&amp;type=security");
    }
}

}
