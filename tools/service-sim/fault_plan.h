// The faults the simulator is told to show, and which requests they hit.
#pragma once

#include "response.h"

#include <string>
#include <string_view>

struct FaultPlan {
    std::string Only;   // a service name; empty for every service
    int OnRequest = 0;  // the n-th request (from 1) to the chosen services; 0 for every one
    int DelayMs = 0;
    int Status = 0;     // 0: the service's own page
    Framing BodyFraming = Framing::ContentLength;
    bool Redirect = false;
    bool NoMarkers = false;

    bool CoversService(std::string_view serviceName) const { return Only.empty() || Only == serviceName; }
    bool CoversRequest(int requestNumber) const { return OnRequest == 0 || OnRequest == requestNumber; }
};
