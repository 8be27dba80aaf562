// What a search engine reads from its keyword parameter: the keyword and whether it was
// asked for as an exact phrase (the value is enclosed in double quotes).
#pragma once

#include <string>
#include <string_view>

struct SearchQuery {
    std::string Keyword; // decoded, without the phrase quotes
    bool Precise = false;

    // The query as the user would see it in the search box: the keyword, quoted when precise.
    std::string Display() const;
};

// Reads a decoded parameter value. A value that begins with a double quote is a phrase
// search; its opening quote and one closing quote (if present: a "#" in the keyword cuts
// the closing one off) are not part of the keyword.
SearchQuery ReadSearchQuery(std::string_view value);
