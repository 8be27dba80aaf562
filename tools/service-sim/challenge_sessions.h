// The suggestion service's memory of its visitors: a session per cookie, whether it has
// passed a challenge, and the challenge it is waiting to have answered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct Request;

// When a suggestions request gets a challenge instead of results.
enum class ChallengeMode {
    First,  // until the session has answered one correctly
    Always, // every time; a correct answer still gives the results it was asked with
    Never,
};

struct ChallengeOptions {
    ChallengeMode Mode = ChallengeMode::First;
    std::string Characters; // empty: each challenge's own (ChallengeCharacters)
    // The https front's port: a request whose Host names it came in over https, so the
    // picture's address on its challenge page is an https one too (0: no https).
    uint16_t HttpsPort = 0;
};

constexpr std::string_view sessionCookieName = "wtsession";

// Sessions beyond this many push out the oldest: a client that never sends its cookie
// back would otherwise make the simulator grow without end.
constexpr std::size_t maximumSessions = 10000;

class ChallengeSessions {
public:
    struct Session {
        bool Passed = false;
        std::string PendingRandom; // the challenge shown last; empty once answered
    };

    // The session the request's cookie names, if the simulator still knows it.
    Session* Find(const Request& request);
    // A new session; its id goes into the Set-Cookie header.
    Session& Create(std::string& id);
    // The next challenge's random value: lower-case hexadecimal, different for each of the
    // first 2^32 challenges of a run.
    std::string NextRandom();

    std::size_t Count() const { return FSessions.size(); }

private:
    std::unordered_map<std::string, Session> FSessions;
    std::deque<std::string> FOrder; // oldest first
    uint64_t FSessionsMade = 0;
    uint64_t FChallengesMade = 0;
};

// The value of the named cookie in a Cookie header ("a=1; wtsession=xyz").
std::optional<std::string> CookieValue(std::string_view cookieHeader, std::string_view name);
