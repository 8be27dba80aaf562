// The keyword suggestion service: a suggestions request ("/?seed=...") gets the result
// table for the seed, or a security image challenge when the session has not passed one
// (as ChallengeOptions decide); the answer request ("/keyword-suggestion-tool.html?
// password=...&random=...&seed=...") gets the table for the seed when the characters
// match the session's challenge, and a new challenge otherwise.
#pragma once

#include "challenge_sessions.h"
#include "service.h"

#include <string>

constexpr std::string_view suggestionsPath = "/";
constexpr std::string_view answerPath = "/keyword-suggestion-tool.html";
constexpr std::string_view challengeImagePath = "/captcha.png";

class SuggestionService : public Service {
public:
    explicit SuggestionService(ChallengeOptions options) : FOptions(std::move(options)) {}

    std::string_view Name() const override { return "suggest"; }
    bool Matches(const Request& request) const override;
    Response Respond(const Request& request, PageFeatures features) const override;

private:
    Response Results(const std::string& seed, PageFeatures features) const;
    // A new challenge in the request's session (a new session, with its cookie, when the
    // request carries none the simulator knows).
    Response Challenge(const Request& request, ChallengeSessions::Session* session, const std::string& seed) const;
    std::string CharactersOf(const std::string& random) const;

    ChallengeOptions FOptions;
    // Answers change the sessions; the server answers one request at a time.
    mutable ChallengeSessions FSessions;
};

// The picture of a challenge: "/captcha.png?random=..." (other parameters ignored). It is
// served to any client, cookie or not, and no fault option applies to it: the picture is
// fetched by the dialog's own client at a moment no test can count on.
class ChallengeImageService : public Service {
public:
    explicit ChallengeImageService(std::string fixedCharacters) : FFixedCharacters(std::move(fixedCharacters)) {}

    std::string_view Name() const override { return "captcha-image"; }
    bool TakesFaults() const override { return false; }
    bool Matches(const Request& request) const override;
    Response Respond(const Request& request, PageFeatures features) const override;

private:
    std::string FFixedCharacters;
};
