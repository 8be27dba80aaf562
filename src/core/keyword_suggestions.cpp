#include "core/keyword_suggestions.h"

#include "core/keyword_commands.h"
#include "util/html_text.h"
#include "util/json_reading.h"

namespace {

bool HoldsChallenge(const SuggestProfile& source, const std::string& page)
{
    return !source.Challenge.empty() && page.find(source.Challenge) != std::string::npos;
}

void AppendSuggestion(std::string phrase, std::string count, KeywordList& list, StatusPanels& status,
                      ListedPhrases* listed)
{
    if (listed && !listed->Add(phrase))
        return;
    list.AppendRow(list.CountRows() + 1, std::move(phrase), std::move(count));
    ShowRowCount(list, status);
}

void ParseMarkers(const SuggestProfile& source, const std::string& page, KeywordList& list, StatusPanels& status,
                  ListedPhrases* listed)
{
    if (page.find(source.After) == std::string::npos)
        return;
    // A view of the page walks it without copying its tail at every cut.
    std::string_view working = page;
    CutBetween(working, source.After, ">");
    std::string count = CleanHtml(CutBetween(working, source.CountStart, source.CountEnd));
    while (!count.empty()) {
        std::string phrase = CleanHtml(CutBetween(working, source.PhraseStart, source.PhraseEnd));
        AppendSuggestion(std::move(phrase), std::move(count), list, status, listed);
        count = CleanHtml(CutBetween(working, source.CountStart, source.CountEnd));
    }
}

// Fetches one keyword's suggestions, through as many challenges as the user answers.
// False when the command ends here (a failed fetch, or Cancel to a wrong answer).
bool FetchSuggestions(const SuggestProfile& source, const std::string& keyword, SuggestionHost& host,
                      MessagePrompter& prompter, std::string& page)
{
    const auto fetch = [&](const std::string& url) {
        const std::vector<std::string> headers = SuggestionsRequestHeaders(source, keyword);
        return headers.empty() ? host.FetchPage(url, page) : host.FetchPageWith(url, headers, page);
    };
    if (!fetch(SuggestionsRequestURL(source, keyword)))
        return false;
    while (HoldsChallenge(source, page)) {
        const ChallengeAnswer answer = host.AnswerChallenge(page);
        // Nothing is read after a failed answer fetch. A stop (the window closed while the
        // dialog was up) refuses the fetch and leaves the challenge in the page: the
        // command ends there too, instead of asking again and again.
        if (!fetch(ChallengeAnswerURL(source, keyword, answer)))
            return false;
        if (HoldsChallenge(source, page) &&
            prompter.ShowMessageDialog("Wrong password. Do you want try again?", MessageButtons::OkCancel) != mrOk)
            return false;
    }
    return true;
}

} // namespace

std::vector<std::string> SuggestionKeywords(const SuggestProfile& source, const std::string& mainKeyword)
{
    std::vector<std::string> keywords{mainKeyword};
    if (source.Expand == KeywordExpansion::Alphabet) {
        for (const char c : std::string_view("abcdefghijklmnopqrstuvwxyz0123456789"))
            keywords.push_back(mainKeyword + ' ' + c);
    }
    return keywords;
}

std::string SuggestionsRequestURL(const SuggestProfile& source, const std::string& keyword)
{
    return source.URL.Expand(TemplateValues::ForKeyword(keyword));
}

std::vector<std::string> SuggestionsRequestHeaders(const SuggestProfile& source, const std::string& keyword)
{
    std::vector<std::string> lines;
    for (const RequestTemplate& header : source.Headers)
        lines.push_back(header.ExpandHeader(TemplateValues::ForKeyword(keyword)));
    return lines;
}

std::string ChallengeAnswerURL(const SuggestProfile& source, const std::string& keyword,
                               const ChallengeAnswer& answer)
{
    return source.AnswerURL.Expand(
        {.Keyword = keyword, .Answer = answer.Password, .Random = answer.Random, .Seed = answer.Seed});
}

void ParseSuggestions(const SuggestProfile& source, const std::string& page, KeywordList& list,
                      StatusPanels& status, ListedPhrases* listed)
{
    if (source.Format == PageFormat::Markers) {
        ParseMarkers(source, page, list, status, listed);
        return;
    }
    for (JsonSuggestion& found : ReadJsonSuggestions(page, source.Items, source.Phrase, source.Count))
        if (!found.Phrase.empty())
            AppendSuggestion(std::move(found.Phrase), std::move(found.Count), list, status, listed);
}

void GatherKeywords(const std::string& mainKeyword, const std::optional<SuggestProfile>& source, KeywordList& list,
                    SuggestionHost& host, MessagePrompter& prompter, StatusPanels& status)
{
    if (!source) {
        prompter.ShowMessageDialog(NoSuggestionSourceMessage, MessageButtons::Ok);
        return;
    }
    if (mainKeyword.empty()) {
        prompter.ShowMessageDialog("Please enter a main keyword before gather keywords.", MessageButtons::Ok);
        return;
    }
    // Only an expanded command looks for repeats: without it the rows are listed as the
    // source gives them.
    ListedPhrases listed;
    ListedPhrases* const repeats = source->Expand == KeywordExpansion::None ? nullptr : &listed;
    for (const std::string& keyword : SuggestionKeywords(*source, mainKeyword)) {
        std::string page;
        if (!FetchSuggestions(*source, keyword, host, prompter, page))
            return;
        ParseSuggestions(*source, page, list, status, repeats);
    }
}
