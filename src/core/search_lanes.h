// Gather Data with the engines side by side: each engine is asked in a lane of its own (a
// worker thread with its own connection), walking its rows in table order, while the
// window's thread writes each count as it arrives, shows the waits and asks the user
// when an engine refuses. The lanes never touch the keyword list or the window; they hand
// everything to the window's thread.
#pragma once

#include "core/count_engine.h"
#include "core/engine_answer.h"
#include "core/keyword_list.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// What a count cell says after a run.
enum class CellState { NotAsked, Counted, NoCount, Failed, Skipped };

// The user's answer when an engine refused a request.
enum class RefusalChoice { Retry, Skip, Stop };

// Ends a lane's request or wait once the run is stopped.
class LaneStopped : public std::runtime_error {
public:
    LaneStopped() : std::runtime_error("The run was stopped.") {}
};

// A lane's own road to the network, used on the lane's thread only. A stop of the run
// reaches a request under way as LaneStopped, which Fetch lets through.
class LaneFetcher {
public:
    virtual ~LaneFetcher() = default;
    // The header lines go with this request only.
    virtual EngineAnswer Fetch(const std::string& url, const std::vector<std::string>& headers) = 0;
    // Where a fetcher says what the user should know of its route (the proxy it takes);
    // called from the lane's thread, the sink hands the text to the window.
    using StatusSink = std::function<void(std::string text)>;
    virtual void SetStatusSink(StatusSink) {}
};

// What a side-by-side run needs from the window; called on the window's thread only.
class LanesHost {
public:
    virtual ~LanesHost() = default;
    virtual std::unique_ptr<LaneFetcher> MakeLaneFetcher(const CountEngine& engine) = 0;
    virtual bool StopRequested() const = 0;
    // The run's stop, to be called the moment the user stops (from the Stop click itself),
    // so that no lane starts a request between the click and the run's next look at
    // StopRequested; empty once the run is over.
    virtual void SetStopListener(std::function<void()> stop) = 0;
    // A failure ends the whole run, as a failed fetch does when the engines are asked in turn.
    virtual void RequestStop() = 0;
    // Handles the waiting window messages (a Stop click among them).
    virtual void PumpMessages() = 0;
    virtual void ShowRunStatus(const std::string& text) = 0;
    virtual void ShowAnswered(int answered, int requests) = 0;
    // Puts the refusal to the user (the run's other lanes wait meanwhile).
    virtual RefusalChoice AskRefused(const std::string& reason, const std::string& engineName) = 0;
    // A cell's state as the run leaves it, with the reason of a failure.
    virtual void CellAsked(int row, const CountEngine& engine, CellState state, const std::string& reason) = 0;
};

// Which rows (in table order) each engine is to be asked for; one entry per engine, in
// the order of the engines.
using LanePlan = std::vector<std::vector<int>>;

// Every row for every engine.
LanePlan FullPlan(int rows, int engines);

// The longest the window's thread goes without pumping while lanes run.
constexpr int LanePumpInterval = 15;

// Runs one lane per engine until every lane has ended: its rows are done, the user
// skipped it, the run was stopped, or a failure stopped it. Returns true when every lane
// did all its rows.
bool GatherSearchCountsInLanes(KeywordList& list, LanesHost& host, const std::vector<CountEngine>& engines,
                               const LanePlan& plan, int searchMode);
