// "Gather Keywords": asks the profile's suggestion source for phrases related to the
// main keyword (and, with alphabet expansion, to the main keyword followed by each
// letter and digit), has the user answer its security image challenges, and appends a
// row per suggestion with its search count.
#pragma once

#include "core/keyword_list.h"
#include "core/listed_phrases.h"
#include "core/service_profile.h"
#include "core/user_interface.h"

#include <optional>
#include <string>
#include <vector>

// The keywords asked for, in request order: the main keyword, then with Expand=alphabet
// the main keyword followed by a blank and each of a to z and 0 to 9.
std::vector<std::string> SuggestionKeywords(const SuggestProfile& source, const std::string& mainKeyword);

std::string SuggestionsRequestURL(const SuggestProfile& source, const std::string& keyword);
std::vector<std::string> SuggestionsRequestHeaders(const SuggestProfile& source, const std::string& keyword);

// What the user typed into a security image dialog and the two values it read.
struct ChallengeAnswer {
    std::string Password;
    std::string Random;
    std::string Seed;
};

// The answer's address, the three values inserted exactly as they are.
std::string ChallengeAnswerURL(const SuggestProfile& source, const std::string& keyword,
                               const ChallengeAnswer& answer);

// Appends a row per suggestion of a result page, numbered on from the rows already
// listed (CountRows + 1 each), and shows the row count after every row. Markers: nothing
// is appended without After (exactly so), and the reading ends at the first count cell
// that is missing or cleans to nothing. JSON: one row per item that has a phrase.
// With `listed`, a phrase it already holds is skipped, and each listed phrase is added.
void ParseSuggestions(const SuggestProfile& source, const std::string& page, KeywordList& list,
                      StatusPanels& status, ListedPhrases* listed = nullptr);

// What the command needs from the window.
class SuggestionHost {
public:
    virtual ~SuggestionHost() = default;
    // The one road to the network; false when the fetch failed or was stopped, and then
    // the page is empty.
    virtual bool FetchPage(const std::string& url, std::string& page) = 0;
    // The same, sending extra header lines with the request (and with none of its
    // redirects to another host).
    virtual bool FetchPageWith(const std::string& url, const std::vector<std::string>& headers, std::string& page) = 0;
    // Creates the security image dialog for the page, shows it modally, reads the typed
    // text and the two values, and releases it. How it was closed does not matter.
    virtual ChallengeAnswer AnswerChallenge(const std::string& challengePage) = 0;
};

inline constexpr const char* NoSuggestionSourceMessage = "The service profile has no suggestion source.";

// The command after the stop flag has been cleared: the messages for a profile without
// a suggestion source and for an empty main keyword, then for each keyword asked for
// the request, the challenge loop ("Wrong password. Do you want try again?"; Cancel
// ends the command without reading) and the reading of the result page. A failed fetch
// ends the command.
void GatherKeywords(const std::string& mainKeyword, const std::optional<SuggestProfile>& source, KeywordList& list,
                    SuggestionHost& host, MessagePrompter& prompter, StatusPanels& status);
