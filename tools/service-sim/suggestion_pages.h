// The two pages of the keyword suggestion service: the result table and the security
// image challenge.
#pragma once

#include "page_features.h"
#include "suggestions.h"

#include <string>
#include <string_view>
#include <vector>

// The words a challenge page shows, letter case exactly so; a result page never holds them.
constexpr std::string_view challengePrompt = "Please enter the characters in the image";

// The search form and the table. After the table foot ("</tfoot>") every row is
// "<tr><td>" searches "</td>" then the phrase as the text of a link, between the first
// "\">" and the next "</a>"; nothing after the last row opens a cell that way again.
// Without the features the table has no foot, so a reader finds no rows.
std::string RenderSuggestionPage(std::string_view seed, const std::vector<Suggestion>& suggestions,
    PageFeatures features);

// The prompt, the hidden inputs "random" and "seed" in that order, then the picture,
// whose src is its full address with "&amp;" in its query. The seed is written
// form-encoded, ready to go back into a query unchanged.
std::string RenderChallengePage(std::string_view seed, std::string_view random, std::string_view imageAddress);
