// What the last Gather Data run did to each count cell, so that the view can tell an
// unasked cell from an empty count, and a run that ended early can be continued. A cell
// is known by its row's number and keyword, so sorting the rows keeps its state.
#pragma once

#include "core/count_engine.h"
#include "core/keyword_list.h"
#include "core/search_lanes.h"

#include <map>
#include <string>
#include <vector>

struct CellRecord {
    CellState State = CellState::NotAsked;
    std::string Reason; // Failed: why
};

// What the view says of a cell beside its text: empty for a counted cell and for one
// no run has asked, else "No count on the page", "Skipped" or "Failed: " and the reason.
std::string CellStateNote(const CellRecord& record);

class GatherRecord {
public:
    // A run over every row starts: every state is forgotten.
    void StartRun(const std::vector<CountEngine>& engines, int searchMode);
    // A continued run starts: the states stay, the run counts as under way again.
    void ContinueRun();
    void SetCell(const KeywordList& list, int row, int cell, CellState state, std::string reason = {});
    // complete: every planned cell was asked.
    void EndRun(bool complete);

    // NotAsked for a cell no run has touched.
    CellRecord Cell(const KeywordList& list, int row, int cell) const;

    // The last run ended early and a row holds a cell it did not ask (or that was skipped
    // or failed).
    bool CanContinue(const KeywordList& list, const std::vector<CountEngine>& engines) const;
    // The engines would send the requests of the last run: same search mode, same
    // engines, same addresses. Continuing a run under other requests would mix counts of
    // two kinds in one table, so it is refused.
    bool SameRequests(const std::vector<CountEngine>& engines) const;
    // The cells to ask when continuing: per engine, the rows whose cell is not counted.
    LanePlan ContinuePlan(const KeywordList& list, const std::vector<CountEngine>& engines) const;
    int SearchMode() const { return FSearchMode; }

private:
    static std::string RowKey(const KeywordList& list, int row);
    static std::vector<std::string> Requests(const std::vector<CountEngine>& engines, int searchMode);
    bool NeedsAsking(const KeywordList& list, int row, int cell) const;

    std::map<std::string, std::map<int, CellRecord>> FCells;
    std::vector<std::string> FRequests;
    int FSearchMode = 0;
    bool FRan = false;
    bool FEndedEarly = false;
};
