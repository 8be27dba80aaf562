#include "json_services.h"

#include "request.h"
#include "result_count.h"
#include "search_query.h"
#include "suggestions.h"

#include <cctype>

namespace {

constexpr std::string_view CountPath = "/api/count";
constexpr std::string_view CompletionPath = "/complete/search";

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != Lower(prefix[i]))
            return false;
    return true;
}

Response JsonResponse(std::string body)
{
    Response response;
    response.Headers.emplace_back("Content-Type", "application/json; charset=UTF-8");
    response.Body = std::move(body);
    return response;
}

} // namespace

std::string JsonString(std::string_view text)
{
    static const char* const hex = "0123456789abcdef";
    std::string literal = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (byte < 0x20) {
            literal += "\\u00";
            literal += hex[byte >> 4];
            literal += hex[byte & 15];
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}

bool JsonCountApi::Matches(const Request& request) const
{
    return request.Method == "GET" && request.Path == CountPath && request.Parameter("q");
}

Response JsonCountApi::Respond(const Request& request, PageFeatures) const
{
    const std::optional<std::string> key = request.Header(ApiKeyHeader);
    if (!key || *key != SimApiKey) {
        Response refused;
        refused.Headers.emplace_back("Content-Type", "text/html");
        refused.Body = "<html><body><h1>Forbidden</h1><p>The API key is missing or not valid.</p></body></html>\n";
        return refused;
    }
    const SearchQuery query = ReadSearchQuery(request.Parameter("q")->Value);
    const std::string count = WithThousandsSeparators(ResultCount(Engine::Google, query));
    return JsonResponse("{\"kind\":\"customsearch#search\",\"queries\":{\"request\":[{\"searchTerms\":" +
                        JsonString(query.Display()) + "}]},\"searchInformation\":{\"searchTime\":0.21,"
                        "\"totalResults\":\"" + count + "\"},\"items\":[]}");
}

std::vector<std::string> Completions(std::string_view prefix)
{
    std::string_view seed = prefix;
    if (prefix.size() >= 2 && prefix[prefix.size() - 2] == ' ' &&
        std::isalnum(static_cast<unsigned char>(prefix.back())))
        seed = prefix.substr(0, prefix.size() - 2);
    std::vector<std::string> phrases;
    for (const Suggestion& suggestion : MakeSuggestions(seed))
        if (StartsWithIgnoringCase(suggestion.Phrase, prefix))
            phrases.push_back(suggestion.Phrase);
    return phrases;
}

bool OpenSearchSuggestions::Matches(const Request& request) const
{
    return request.Method == "GET" && request.Path == CompletionPath && request.Parameter("q");
}

Response OpenSearchSuggestions::Respond(const Request& request, PageFeatures) const
{
    const std::string& prefix = request.Parameter("q")->Value;
    std::string body = "[" + JsonString(prefix) + ",[";
    bool first = true;
    for (const std::string& phrase : Completions(prefix)) {
        body += (first ? "" : ",") + JsonString(phrase);
        first = false;
    }
    return JsonResponse(body + "]]");
}
