#include "search_engine.h"

#include "request.h"
#include "result_page.h"

std::string_view SearchEngine::Path() const
{
    return FEngine == Engine::Msn ? "/results.aspx" : "/search";
}

std::string_view SearchEngine::KeywordParameter() const
{
    return FEngine == Engine::Yahoo ? "p" : "q";
}

bool SearchEngine::Matches(const Request& request) const
{
    return request.Method == "GET" && request.Path == Path() && request.Parameter(KeywordParameter());
}

Response SearchEngine::Respond(const Request& request, PageFeatures features) const
{
    SearchQuery query = ReadSearchQuery(request.Parameter(KeywordParameter())->Value);
    Response response;
    response.Headers.emplace_back("Content-Type", "text/html");
    response.Body = RenderResultPage(FEngine, MakeResultPage(FEngine, query, features));
    return response;
}
