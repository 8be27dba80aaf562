// One simulated remote service: which requests it answers and the page it answers with.
// The responder asks each registered service in turn; the first that matches answers.
// Adding a service is writing one of these and registering it in BuildServices.
#pragma once

#include "challenge_sessions.h"
#include "page_features.h"
#include "response.h"

#include <memory>
#include <string_view>
#include <vector>

struct Request;

class Service {
public:
    virtual ~Service() = default;

    // The name used by --only: "google", "yahoo", "msn", "suggest".
    virtual std::string_view Name() const = 0;
    // Whether the fault options may hit its answers.
    virtual bool TakesFaults() const { return true; }
    virtual bool Matches(const Request& request) const = 0;
    virtual Response Respond(const Request& request, PageFeatures features) const = 0;
};

// Every service the simulator offers, in the order they are asked.
std::vector<std::unique_ptr<Service>> BuildServices(const ChallengeOptions& challenge = {});

// The names --only accepts.
bool IsKnownServiceName(std::string_view name);
