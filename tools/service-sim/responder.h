// Turns each request into the bytes to answer with: finds the service, applies the fault
// plan, frames the response. It holds no sockets, so every answer can be checked directly.
#pragma once

#include "fault_plan.h"
#include "response.h"
#include "service.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct Request;

struct Reply {
    int DelayMs = 0; // wait this long before sending
    WireResponse Wire;
};

class Responder {
public:
    Responder(std::vector<std::unique_ptr<Service>> services, FaultPlan faults);

    Reply Respond(const Request& request);
    // For a head that is not an HTTP request at all.
    static Reply RespondToMalformedRequest();

private:
    const Service* FindService(const Request& request) const;
    Reply RespondBeforeLatency(const Request& request);
    Reply RespondWithFaults(const Service& service, const Request& request);
    // The throttle and the block of the long-run faults, for an engine's request.
    std::optional<Response> LongRunRefusal(const Service& service);

    std::vector<std::unique_ptr<Service>> FServices;
    FaultPlan FFaults;
    int FCountedRequests = 0;
    std::map<std::string, int, std::less<>> FEngineRequests;
};
