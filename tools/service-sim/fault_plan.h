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

    // Long-run misbehaviour of the engines, each counted per engine; 0: off.
    int LatencyMs = 0;   // every answer of every service waits this long
    int ThrottleEvery = 0; // every n-th request to an engine: 429 with "Retry-After: 1"
    int BlockAfter = 0;  // past n requests, an engine answers every request with a block page
    int DropEvery = 0;   // every n-th connection is reset before the status line

    bool CoversService(std::string_view serviceName) const { return Only.empty() || Only == serviceName; }
    bool CoversRequest(int requestNumber) const { return OnRequest == 0 || OnRequest == requestNumber; }
};
