// "Gather Data": for every keyword, one request to each engine of the service profile
// and the result count read out of each answer.
#pragma once

#include "core/keyword_list.h"
#include "core/service_profile.h"

#include <string>
#include <vector>

// The engine's request for a keyword in a search mode: Precise for 0, Broad for 1.
std::string SearchRequestURL(const EngineProfile& engine, const std::string& keyword, int searchMode);
// Its extra header lines, placeholders filled in.
std::vector<std::string> SearchRequestHeaders(const EngineProfile& engine, const std::string& keyword);

// The count as the page writes it, empty when not found. Markers: the text between the
// value markers after the skip marker (or anywhere, when the page has no skip marker).
// JSON: the value at the engine's pointer (see ReadJsonCount).
std::string ReadResultCount(const EngineProfile& engine, const std::string& page);

// What a run needs from the window.
class GatherHost {
public:
    virtual ~GatherHost() = default;
    // The one road to the network; false when the fetch failed or was stopped.
    virtual bool FetchPage(const std::string& url, std::string& page) = 0;
    // The same, sending extra header lines with the request (and with none of its
    // redirects to another host). Only engines with header lines use it.
    virtual bool FetchPageWith(const std::string& url, const std::vector<std::string>& headers, std::string& page) = 0;
    virtual bool StopRequested() const = 0;
    // Handles the waiting window messages (a Stop click among them).
    virtual void PumpMessages() = 0;
    // The run has come to row `row` (from 0) of the `rows` it walks.
    virtual void ShowRunPosition(int row, int rows) = 0;
};

// "Row 12 of 41" for row index 11 of 41.
std::string RunPositionText(int row, int rows);

// Walks the rows counted at the start, in table order, ticked or not, asking each
// engine in profile order and writing each count into that engine's cell as it arrives.
// A failed fetch leaves its cell and ends the run; so does a stop.
void GatherSearchCounts(KeywordList& list, GatherHost& host, const std::vector<EngineProfile>& engines,
                        int searchMode);
