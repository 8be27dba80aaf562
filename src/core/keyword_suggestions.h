// "Gather Keywords": asks the suggestion service for phrases related to the main
// keyword, has the user answer its security image challenges, and appends a row per
// suggestion with its search count.
#pragma once

#include "core/keyword_list.h"
#include "core/user_interface.h"

#include <string>
#include <string_view>

// A page that holds these words (letter case exactly so) is a challenge, not results.
inline constexpr std::string_view ChallengePrompt = "Please enter the characters in the image";

// The main keyword with its spaces as "+", everything else as typed; the HTTP client
// cuts a "#" and what follows, like any fragment.
std::string SuggestionsRequestURL(const std::string& root, const std::string& mainKeyword);
// The three values inserted exactly as they are.
std::string ChallengeAnswerURL(const std::string& root, const std::string& password, const std::string& random,
                               const std::string& seed);

// Appends a row per suggestion of a result page, numbered on from the rows already
// listed (CountRows + 1 each), and shows the row count after every row. Nothing is
// appended without a "</tfoot>" (exactly so), and the reading ends at the first count
// cell that is missing or cleans to nothing.
void ParseSuggestions(const std::string& page, KeywordList& list, StatusPanels& status);

// What the user typed into a security image dialog and the two values it read.
struct ChallengeAnswer {
    std::string Password;
    std::string Random;
    std::string Seed;
};

// What the command needs from the window.
class SuggestionHost {
public:
    virtual ~SuggestionHost() = default;
    // The one road to the network; false when the fetch failed or was stopped, and then
    // the page is empty.
    virtual bool FetchPage(const std::string& url, std::string& page) = 0;
    // Creates the security image dialog for the page, shows it modally, reads the typed
    // text and the two values, and releases it. How it was closed does not matter.
    virtual ChallengeAnswer AnswerChallenge(const std::string& challengePage) = 0;
};

// The command after the stop flag has been cleared: the empty-keyword message, the
// suggestions request, the challenge loop ("Wrong password. Do you want try again?";
// Cancel ends without reading) and the reading of the result page.
void GatherKeywords(const std::string& mainKeyword, const std::string& root, KeywordList& list, SuggestionHost& host,
                    MessagePrompter& prompter, StatusPanels& status);
