// The services that answer in JSON, as official search and suggestion APIs do:
//   - a result count API, "/api/count?q=KEYWORD", that needs the key SimApiKey in the
//     request header "X-Api-Key" and reports Google's figure for the keyword and mode as
//     {"searchInformation":{"totalResults":"1,234,567"}}; without the key it answers an
//     HTML page, which is not JSON;
//   - an OpenSearch suggestion endpoint, "/complete/search?q=PREFIX", answering
//     ["PREFIX",["phrase",...]].
#pragma once

#include "service.h"

#include <string>
#include <string_view>

inline constexpr std::string_view SimApiKey = "sim-4f2a9c";
inline constexpr std::string_view ApiKeyHeader = "X-Api-Key";

class JsonCountApi : public Service {
public:
    std::string_view Name() const override { return "json-count"; }
    bool Matches(const Request& request) const override;
    Response Respond(const Request& request, PageFeatures features) const override;
};

class OpenSearchSuggestions : public Service {
public:
    std::string_view Name() const override { return "opensearch"; }
    bool Matches(const Request& request) const override;
    Response Respond(const Request& request, PageFeatures features) const override;
};

// The phrases completing a prefix: those the suggestion service offers for the prefix's
// seed that begin with the prefix (ASCII letter case ignored), in its order. The seed is
// the prefix, or, when the prefix ends in a blank and one letter or digit, the prefix
// without them: "golf a" is completed from the suggestions for "golf".
std::vector<std::string> Completions(std::string_view prefix);

// A JSON string literal of the bytes: quote, backslash and control bytes escaped.
std::string JsonString(std::string_view text);
