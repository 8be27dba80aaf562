#include "suggestion_service.h"

#include "challenge.h"
#include "request.h"
#include "suggestion_pages.h"
#include "suggestions.h"

namespace {

std::string ParameterValue(const Request& request, std::string_view name)
{
    const QueryParameter* parameter = request.Parameter(name);
    return parameter ? parameter->Value : std::string();
}

Response HtmlResponse(std::string body)
{
    Response response;
    response.Headers.emplace_back("Content-Type", "text/html");
    response.Headers.emplace_back("Cache-Control", "no-cache");
    response.Body = std::move(body);
    return response;
}

} // namespace

bool SuggestionService::Matches(const Request& request) const
{
    if (request.Method != "GET")
        return false;
    return (request.Path == suggestionsPath && request.Parameter("seed")) || request.Path == answerPath;
}

Response SuggestionService::Respond(const Request& request, PageFeatures features) const
{
    const std::string seed = ParameterValue(request, "seed");
    ChallengeSessions::Session* session = FSessions.Find(request);

    if (request.Path == answerPath) {
        const bool answered = session && !session->PendingRandom.empty()
            && session->PendingRandom == ParameterValue(request, "random")
            && AnswerMatches(ParameterValue(request, "password"), CharactersOf(session->PendingRandom));
        if (!answered)
            return Challenge(request, session, seed);
        session->Passed = true;
        session->PendingRandom.clear();
        return Results(seed, features);
    }

    const bool challenge = FOptions.Mode == ChallengeMode::Always
        || (FOptions.Mode == ChallengeMode::First && !(session && session->Passed));
    return challenge ? Challenge(request, session, seed) : Results(seed, features);
}

Response SuggestionService::Results(const std::string& seed, PageFeatures features) const
{
    return HtmlResponse(RenderSuggestionPage(seed, MakeSuggestions(seed), features));
}

Response SuggestionService::Challenge(const Request& request, ChallengeSessions::Session* session,
    const std::string& seed) const
{
    std::string newSessionId;
    if (!session)
        session = &FSessions.Create(newSessionId);
    session->PendingRandom = FSessions.NextRandom();

    // The picture's full address: the page may be read by a client that puts no base
    // address in front of it. The request's Host names this server as the client reached it.
    const std::string host = request.Header("Host").value_or("127.0.0.1");
    const bool overHttps = FOptions.HttpsPort != 0 && host.ends_with(":" + std::to_string(FOptions.HttpsPort));
    const std::string imageAddress = (overHttps ? "https://" : "http://") + host + std::string(challengeImagePath) + "?random="
        + session->PendingRandom + "&type=security";
    Response response = HtmlResponse(RenderChallengePage(seed, session->PendingRandom, imageAddress));
    if (!newSessionId.empty())
        response.Headers.emplace_back("Set-Cookie", std::string(sessionCookieName) + "=" + newSessionId + "; path=/");
    return response;
}

std::string SuggestionService::CharactersOf(const std::string& random) const
{
    return FOptions.Characters.empty() ? ChallengeCharacters(random) : FOptions.Characters;
}

bool ChallengeImageService::Matches(const Request& request) const
{
    return request.Method == "GET" && request.Path == challengeImagePath;
}

Response ChallengeImageService::Respond(const Request& request, PageFeatures) const
{
    const std::string random = ParameterValue(request, "random");
    if (!IsChallengeRandom(random)) {
        Response missing = HtmlResponse("<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
                                        "<p>There is no such security image.</p></body></html>\n");
        missing.Status = 404;
        return missing;
    }
    Response response;
    response.Headers.emplace_back("Content-Type", "image/png");
    response.Headers.emplace_back("Cache-Control", "no-store");
    response.Body = ChallengeImagePng(FFixedCharacters.empty() ? ChallengeCharacters(random) : FFixedCharacters, random);
    return response;
}
