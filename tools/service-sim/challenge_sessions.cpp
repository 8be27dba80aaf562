#include "challenge_sessions.h"

#include "ascii.h"
#include "challenge.h"
#include "request.h"
#include "result_count.h"

namespace {

std::string Hex(uint64_t value, std::size_t digits)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string text(digits, '0');
    for (std::size_t i = digits; i-- > 0;) {
        text[i] = hex[value & 15];
        value >>= 4;
    }
    return text;
}

} // namespace

std::optional<std::string> CookieValue(std::string_view cookieHeader, std::string_view name)
{
    while (!cookieHeader.empty()) {
        std::size_t semicolon = cookieHeader.find(';');
        std::string_view pair = TrimBlanks(cookieHeader.substr(0, semicolon));
        cookieHeader = semicolon == std::string_view::npos ? std::string_view() : cookieHeader.substr(semicolon + 1);
        std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && TrimBlanks(pair.substr(0, equals)) == name)
            return std::string(TrimBlanks(pair.substr(equals + 1)));
    }
    return std::nullopt;
}

ChallengeSessions::Session* ChallengeSessions::Find(const Request& request)
{
    std::optional<std::string> header = request.Header("Cookie");
    if (!header)
        return nullptr;
    std::optional<std::string> id = CookieValue(*header, sessionCookieName);
    if (!id)
        return nullptr;
    auto found = FSessions.find(*id);
    return found == FSessions.end() ? nullptr : &found->second;
}

ChallengeSessions::Session& ChallengeSessions::Create(std::string& id)
{
    if (FSessions.size() >= maximumSessions) {
        FSessions.erase(FOrder.front());
        FOrder.pop_front();
    }
    ++FSessionsMade;
    id = Hex(Fnv1a64("session:" + std::to_string(FSessionsMade)), 16);
    FOrder.push_back(id);
    return FSessions[id];
}

std::string ChallengeSessions::NextRandom()
{
    // An odd multiplier and an exclusive or are both one-to-one on 32 bits, so no two
    // challenges of a run share a value, yet the values do not look counted.
    ++FChallengesMade;
    const uint32_t mixed = static_cast<uint32_t>(FChallengesMade) * 0x9e3779b1u ^ 0x5bd1e995u;
    return Hex(mixed, randomLength);
}
