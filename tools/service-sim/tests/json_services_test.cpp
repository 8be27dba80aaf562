#include "json_services.h"
#include "request.h"
#include "result_count.h"
#include "search_query.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

Request Get(const std::string& target, const std::string& headers = "")
{
    return *ParseRequestHead("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n");
}

TEST(JsonCountApiTest, TheKeyInTheHeaderGetsGooglesFigureAsJson)
{
    const JsonCountApi api;
    const std::string key = "X-Api-Key: " + std::string(SimApiKey) + "\r\n";
    struct Case {
        const char* Target;
        bool Precise;
    };
    for (const Case& c : {Case{"/api/count?q=%22golf+clubs%22", true}, Case{"/api/count?q=golf+clubs", false}}) {
        const Request request = Get(c.Target, key);
        ASSERT_TRUE(api.Matches(request));
        const Response response = api.Respond(request, {});
        const std::string expected =
            WithThousandsSeparators(ResultCount(Engine::Google, SearchQuery{"golf clubs", c.Precise}));
        EXPECT_NE(response.Body.find("\"searchInformation\":{\"searchTime\":0.21,\"totalResults\":\"" + expected + "\"}"),
                  std::string::npos)
            << response.Body;
        EXPECT_EQ(response.Headers.at(0).second, "application/json; charset=UTF-8");
    }
}

TEST(JsonCountApiTest, AMissingOrWrongKeyGetsAPageThatIsNotJson)
{
    const JsonCountApi api;
    for (const std::string& headers : {std::string(), std::string("X-Api-Key: wrong\r\n"),
                                      "X-Api-Key: " + std::string(SimApiKey) + "x\r\n"}) {
        const Response response = api.Respond(Get("/api/count?q=golf", headers), {});
        EXPECT_EQ(response.Body.rfind("<html>", 0), 0u) << headers;
        EXPECT_EQ(response.Body.find("totalResults"), std::string::npos);
    }
}

TEST(OpenSearchTest, AnswersThePrefixAndItsCompletions)
{
    const OpenSearchSuggestions endpoint;
    const Request request = Get("/complete/search?q=golf+clubs");
    ASSERT_TRUE(endpoint.Matches(request));
    const std::string body = endpoint.Respond(request, {}).Body;
    EXPECT_EQ(body.rfind("[\"golf clubs\",[\"golf clubs\"", 0), 0u) << body;
    EXPECT_EQ(body.substr(body.size() - 2), "]]");
}

TEST(OpenSearchTest, AnExpandedPrefixIsCompletedFromItsSeedsSuggestions)
{
    const std::vector<std::string> all = Completions("golf");
    const auto longer = std::find_if(all.begin(), all.end(), [](const std::string& phrase) {
        return phrase.size() > 5 && phrase.rfind("golf ", 0) == 0 && std::isalnum(static_cast<unsigned char>(phrase[5]));
    });
    ASSERT_NE(longer, all.end());
    const std::string prefix = "golf " + std::string(1, (*longer)[5]);
    const std::vector<std::string> completed = Completions(prefix);
    EXPECT_NE(std::find(completed.begin(), completed.end(), *longer), completed.end());
    for (const std::string& phrase : completed) {
        EXPECT_EQ(phrase.rfind(prefix, 0), 0u) << phrase;
        EXPECT_NE(std::find(all.begin(), all.end(), phrase), all.end()) << phrase;
    }
}

TEST(OpenSearchTest, JsonStringsEscapeQuotesBackslashesAndControlBytes)
{
    EXPECT_EQ(JsonString("a\"b\\c\n\x01\xc3\xa9"), "\"a\\\"b\\\\c\\u000a\\u0001\xc3\xa9\"");
}

} // namespace
