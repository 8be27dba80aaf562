// Turns each request into the bytes to answer with: finds the service, applies the fault
// plan, frames the response. It holds no sockets, so every answer can be checked directly.
#pragma once

#include "fault_plan.h"
#include "response.h"
#include "service.h"

#include <memory>
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
    Reply RespondWithFaults(const Service& service, const Request& request);

    std::vector<std::unique_ptr<Service>> FServices;
    FaultPlan FFaults;
    int FCountedRequests = 0;
};
