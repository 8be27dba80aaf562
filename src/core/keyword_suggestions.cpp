#include "core/keyword_suggestions.h"

#include "core/keyword_commands.h"
#include "util/html_text.h"

namespace {

bool HoldsChallenge(const std::string& page)
{
    return page.find(ChallengePrompt) != std::string::npos;
}

} // namespace

std::string SuggestionsRequestURL(const std::string& root, const std::string& mainKeyword)
{
    std::string seed = mainKeyword;
    for (char& c : seed)
        if (c == ' ')
            c = '+';
    return root + "/?seed=" + seed + "&adult_filter=remove_offensive&suggest=Hit+Me";
}

std::string ChallengeAnswerURL(const std::string& root, const std::string& password, const std::string& random,
                               const std::string& seed)
{
    return root + "/keyword-suggestion-tool.html?password=" + password + "&random=" + random + "&seed=" + seed;
}

void ParseSuggestions(const std::string& page, KeywordList& list, StatusPanels& status)
{
    if (page.find("</tfoot>") == std::string::npos)
        return;
    // A view of the page walks it without copying its tail at every cut.
    std::string_view working = page;
    CutBetween(working, "</tfoot>", ">");
    std::string count = CleanHtml(CutBetween(working, "<tr><td>", "</td>"));
    while (!count.empty()) {
        const int rows = list.CountRows();
        std::string phrase = CleanHtml(CutBetween(working, "\">", "</a>"));
        list.AppendRow(rows + 1, std::move(phrase), std::move(count));
        ShowRowCount(list, status);
        count = CleanHtml(CutBetween(working, "<tr><td>", "</td>"));
    }
}

void GatherKeywords(const std::string& mainKeyword, const std::string& root, KeywordList& list, SuggestionHost& host,
                    MessagePrompter& prompter, StatusPanels& status)
{
    if (mainKeyword.empty()) {
        prompter.ShowMessageDialog("Please enter a main keyword before gather keywords.", MessageButtons::Ok);
        return;
    }
    std::string page;
    if (!host.FetchPage(SuggestionsRequestURL(root, mainKeyword), page))
        return;
    while (HoldsChallenge(page)) {
        const ChallengeAnswer answer = host.AnswerChallenge(page);
        // Nothing is read after a failed answer fetch. A stop (the window closed while the
        // dialog was up) refuses the fetch and leaves the challenge in the page: the
        // command ends there too, instead of asking again and again.
        if (!host.FetchPage(ChallengeAnswerURL(root, answer.Password, answer.Random, answer.Seed), page))
            return;
        if (HoldsChallenge(page) &&
            prompter.ShowMessageDialog("Wrong password. Do you want try again?", MessageButtons::OkCancel) != mrOk)
            return;
    }
    ParseSuggestions(page, list, status);
}
