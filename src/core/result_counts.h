// "Gather Data": for every keyword, one request to each of the three search engines and
// the result count cut out of each answer.
#pragma once

#include "config/service_addresses.h"
#include "core/keyword_list.h"

#include <functional>
#include <string>

struct SearchEngine {
    const char* Name;
    int Cell;                                  // the row cell the count goes into
    std::string ServiceAddresses::*Root;       // the engine's root address
    const char* Path;                          // followed by Q + keyword + Q
    const char* SkipMarker;
    const char* ValueStart;
    const char* ValueEnd;
};

// Google, Yahoo and MSN, in the order they are asked.
extern const SearchEngine SearchEngines[3];

// "%22" around the keyword for a precise search (mode 0), nothing for a broad one.
std::string QuoteText(int searchMode);

// The engine's request for a keyword: its spaces become "+", nothing else changes.
std::string SearchRequestURL(const SearchEngine& engine, const ServiceAddresses& roots, const std::string& keyword,
                             int searchMode);

// The count as the page writes it: the text between the value markers after the skip
// marker (or anywhere, when the page has no skip marker); empty when not found.
std::string ReadResultCount(const SearchEngine& engine, const std::string& page);

// What a run needs from the window.
class GatherHost {
public:
    virtual ~GatherHost() = default;
    // The one road to the network; false when the fetch failed or was stopped.
    virtual bool FetchPage(const std::string& url, std::string& page) = 0;
    virtual bool StopRequested() const = 0;
    // Handles the waiting window messages (a Stop click among them).
    virtual void PumpMessages() = 0;
    // The run has come to row `row` (from 0) of the `rows` it walks.
    virtual void ShowRunPosition(int row, int rows) = 0;
};

// "Row 12 of 41" for row index 11 of 41.
std::string RunPositionText(int row, int rows);

// Walks the rows counted at the start, in table order, ticked or not, asking each
// engine in turn and writing each count as it arrives. A failed fetch leaves its cell
// and ends the run; so does a stop.
void GatherSearchCounts(KeywordList& list, GatherHost& host, const ServiceAddresses& roots, int searchMode);
