// One engine of a Gather Data run as the lanes see it: what to ask, where its count goes,
// how to read the count, and how politely to ask. The service profile's engines feed it.
#pragma once

#include "core/service_profile.h"

#include <functional>
#include <string>
#include <vector>

struct CountEngine {
    std::string Name; // as the column shows it
    int Cell = 0;     // the row cell the count goes into
    // The request for a keyword in a search mode (0 precise, 1 broad), and the header
    // lines that go with it.
    std::function<std::string(const std::string& keyword, int searchMode)> RequestURL;
    std::function<std::vector<std::string>(const std::string& keyword)> RequestHeaders;
    // The count as the page writes it; empty when the page holds none.
    std::function<std::string(const std::string& page)> ReadCount;
    int Delay = 0;       // ms between the end of one request and the start of the next
    int Jitter = 0;      // ms, a uniform random 0..Jitter added to Delay
    std::string Blocked; // text of the engine's block page; empty: none
};

// The profile's engines in its order, each counting into its own column, asked and read
// as the one-after-another run asks and reads them.
std::vector<CountEngine> ProfileCountEngines(const std::vector<EngineProfile>& engines);
