// One engine of a Gather Data run as the lanes see it: what to ask, where its count goes,
// how to read the count, and how politely to ask. The built-in engines feed it today; a
// service profile can feed it the same way.
#pragma once

#include "config/service_addresses.h"

#include <functional>
#include <string>
#include <vector>

struct CountEngine {
    std::string Name; // as the column shows it
    int Cell = 0;     // the row cell the count goes into
    // The request for a keyword in a search mode (0 precise, 1 broad).
    std::function<std::string(const std::string& keyword, int searchMode)> RequestURL;
    // The count as the page writes it; empty when the page holds none.
    std::function<std::string(const std::string& page)> ReadCount;
    int Delay = 0;       // ms between the end of one request and the start of the next
    int Jitter = 0;      // ms, a uniform random 0..Jitter added to Delay
    std::string Blocked; // text of the engine's block page; empty: none
};

// Google, Yahoo and Msn (as their columns read) with the requests and markers of
// SearchEngines, no pacing.
std::vector<CountEngine> BuiltInCountEngines(const ServiceAddresses& roots);
