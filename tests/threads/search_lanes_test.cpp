#include "core/search_lanes.h"

#include "net/anti_freeze.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

using Kind = EngineAnswer::Kind;

EngineAnswer Page(const std::string& count) { return {Kind::Page, 0, "", "", "<b>" + count + "</b>"}; }
EngineAnswer Http(int status, std::string line, std::string retryAfter = "")
{
    return {Kind::HttpError, status, std::move(line), std::move(retryAfter), ""};
}
EngineAnswer Reset() { return {Kind::ConnectionFailed, 0, "", "", "Connection reset by peer."}; }

// Blocks until the run is stopped, the way a request waits for a slow server: only the
// thread's wait interruption can end it.
const EngineAnswer Hang{Kind::Unusable, -1, "", "", "hang"};

// The three engines of a test: the request names the engine and the keyword, and the count
// is the text between <b> and </b>.
std::vector<CountEngine> TestEngines(int delay = 0)
{
    std::vector<CountEngine> engines;
    const char* names[] = {"Google", "Yahoo", "MSN"};
    for (int index = 0; index < 3; ++index) {
        CountEngine engine;
        engine.Name = names[index];
        engine.Cell = KeywordRow::Google + index;
        engine.RequestURL = [index](const std::string& keyword, int mode) {
            return std::to_string(index) + ":" + keyword + ":" + std::to_string(mode);
        };
        engine.ReadCount = [](const std::string& page) {
            const size_t start = page.find("<b>");
            const size_t end = page.find("</b>");
            return start == std::string::npos || end == std::string::npos ? std::string()
                                                                            : page.substr(start + 3, end - start - 3);
        };
        engine.Delay = delay;
        engine.Blocked = "blocked here";
        engines.push_back(std::move(engine));
    }
    return engines;
}

// Every engine's answers, scripted per engine in request order; past the script each
// request gets the page "<b>n</b>" with the keyword's row number. Records every request.
class ScriptedNetwork {
public:
    std::map<int, std::deque<EngineAnswer>> Scripts;

    std::vector<std::string> Requests(int engine)
    {
        std::lock_guard lock(FLock);
        return FRequests[engine];
    }
    int RequestCount()
    {
        std::lock_guard lock(FLock);
        return RequestCountLocked();
    }
    int RequestCountLocked() const
    {
        int count = 0;
        for (auto& [engine, urls] : FRequests)
            count += static_cast<int>(urls.size());
        return count;
    }
    bool Hanging(int engine)
    {
        std::lock_guard lock(FLock);
        return FHanging.count(engine) > 0;
    }

    EngineAnswer Answer(int engine, const std::string& url)
    {
        EngineAnswer answer;
        {
            std::lock_guard lock(FLock);
            // As the real client's connect guard does: nothing goes out once stopped.
            WaitInterruption::Check();
            FRequests[engine].push_back(url);
            auto& script = Scripts[engine];
            if (script.empty()) {
                const std::string keyword = url.substr(2, url.rfind(':') - 2);
                return Page("n" + keyword);
            }
            answer = script.front();
            script.pop_front();
            if (answer.Status == Hang.Status)
                FHanging.insert(engine);
        }
        while (answer.Status == Hang.Status) {
            WaitInterruption::Check();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return answer;
    }

    // Runs stop with no request under way, as a click between two requests would.
    void Between(const std::function<void()>& stop)
    {
        std::lock_guard lock(FLock);
        stop();
    }

private:
    std::mutex FLock;
    std::map<int, std::vector<std::string>> FRequests;
    std::set<int> FHanging;
};

class ScriptedFetcher : public LaneFetcher {
public:
    ScriptedFetcher(ScriptedNetwork& network, int engine) : FNetwork(network), FEngine(engine) {}
    EngineAnswer Fetch(const std::string& url, const std::vector<std::string>&) override { return FNetwork.Answer(FEngine, url); }

private:
    ScriptedNetwork& FNetwork;
    int FEngine;
};

struct Refusal {
    std::string Reason;
    std::string Engine;
};

// The window: records what the run shows and answers refusals from a script.
class RecordingHost : public LanesHost {
public:
    explicit RecordingHost(ScriptedNetwork& network) : FNetwork(network) {}

    std::deque<RefusalChoice> Choices;
    std::vector<Refusal> Refusals;
    std::vector<std::string> Statuses;
    std::map<std::pair<int, int>, std::pair<CellState, std::string>> Cells;
    int Answered = -1;
    int Requests = -1;
    bool Stop = false;
    int StopsRequested = 0;
    // Runs at every pump, as a user's click would.
    std::function<void(RecordingHost&)> OnPump;

    std::unique_ptr<LaneFetcher> MakeLaneFetcher(const CountEngine& engine) override
    {
        return std::make_unique<ScriptedFetcher>(FNetwork, engine.Cell - KeywordRow::Google);
    }
    bool StopRequested() const override { return Stop; }
    void SetStopListener(std::function<void()> stop) override { StopListener = std::move(stop); }
    void RequestStop() override
    {
        Stop = true;
        ++StopsRequested;
    }
    // The user's Stop click: the flag and the run's own stop at once.
    void ClickStop()
    {
        Stop = true;
        if (StopListener)
            StopListener();
    }
    std::function<void()> StopListener;
    void PumpMessages() override
    {
        if (OnPump)
            OnPump(*this);
    }
    void ShowRunStatus(const std::string& text) override { Statuses.push_back(text); }
    void ShowAnswered(int answered, int requests) override
    {
        Answered = answered;
        Requests = requests;
    }
    RefusalChoice AskRefused(const std::string& reason, const std::string& engine) override
    {
        Refusals.push_back({reason, engine});
        if (Choices.empty())
            return RefusalChoice::Stop;
        const RefusalChoice choice = Choices.front();
        Choices.pop_front();
        return choice;
    }
    void CellAsked(int row, const CountEngine& engine, CellState state, const std::string& reason) override
    {
        Cells[{row, engine.Cell}] = {state, reason};
    }

    CellState State(int row, int cell) const
    {
        const auto found = Cells.find({row, cell});
        return found == Cells.end() ? CellState::NotAsked : found->second.first;
    }
    bool Showed(const std::string& status) const
    {
        return std::find(Statuses.begin(), Statuses.end(), status) != Statuses.end();
    }

private:
    ScriptedNetwork& FNetwork;
};

class LanesTest : public testing::Test {
protected:
    LanesTest()
    {
        for (int row = 0; row < 3; ++row)
            list.AppendRow(row + 1, "k" + std::to_string(row), "");
    }

    bool Run(const std::vector<CountEngine>& engines)
    {
        return GatherSearchCountsInLanes(list, host, engines, FullPlan(list.CountRows(), 3), 1);
    }

    KeywordList list;
    ScriptedNetwork network;
    RecordingHost host{network};
};

TEST_F(LanesTest, EachLaneWalksTheRowsInOrderAndWritesEveryCount)
{
    const auto engines = TestEngines();
    EXPECT_TRUE(Run(engines));
    for (int engine = 0; engine < 3; ++engine) {
        const std::string e = std::to_string(engine);
        EXPECT_EQ(network.Requests(engine), (std::vector<std::string>{e + ":k0:1", e + ":k1:1", e + ":k2:1"}));
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(list.CellText(row, KeywordRow::Google + engine), "nk" + std::to_string(row));
            EXPECT_EQ(host.State(row, KeywordRow::Google + engine), CellState::Counted);
        }
    }
    EXPECT_EQ(host.Answered, 9);
    EXPECT_EQ(host.Requests, 9);
    EXPECT_EQ(host.Statuses.back(), "Process completed sucessfull!");
}

TEST_F(LanesTest, OnlyThePlannedCellsAreAsked)
{
    const auto engines = TestEngines();
    const LanePlan plan = {{2}, {}, {0, 2}};
    EXPECT_TRUE(GatherSearchCountsInLanes(list, host, engines, plan, 0));
    EXPECT_EQ(network.Requests(0), std::vector<std::string>{"0:k2:0"});
    EXPECT_TRUE(network.Requests(1).empty());
    EXPECT_EQ(network.Requests(2), (std::vector<std::string>{"2:k0:0", "2:k2:0"}));
    EXPECT_EQ(list.CellText(1, KeywordRow::Msn), "");
    EXPECT_EQ(host.Requests, 3);
}

TEST_F(LanesTest, APageWithoutACountLeavesTheCellEmptyAndSaysSo)
{
    network.Scripts[1] = {{Kind::Page, 0, "", "", "nothing here"}};
    Run(TestEngines());
    EXPECT_EQ(list.CellText(0, KeywordRow::Yahoo), "");
    EXPECT_EQ(host.State(0, KeywordRow::Yahoo), CellState::NoCount);
    EXPECT_EQ(host.State(1, KeywordRow::Yahoo), CellState::Counted);
}

// What the run does with the answers of one lane (Google's), the user's choices scripted.
struct LaneCase {
    const char* Name;
    std::vector<EngineAnswer> Answers;
    std::vector<RefusalChoice> Choices;
    std::vector<std::string> Refusals;
    int GoogleRequests;                     // -1: not checked (the run was cut short)
    std::vector<CellState> GoogleCells;     // rows 0..2
    bool Completed;
    bool OthersComplete;                    // Yahoo and MSN count every row
};

class LaneAnswerTest : public LanesTest, public testing::WithParamInterface<LaneCase> {};

TEST_P(LaneAnswerTest, RunFollowsTheAnswers)
{
    const LaneCase& c = GetParam();
    network.Scripts[0] = {c.Answers.begin(), c.Answers.end()};
    host.Choices = {c.Choices.begin(), c.Choices.end()};
    EXPECT_EQ(Run(TestEngines()), c.Completed);

    std::vector<std::string> refusals;
    for (const Refusal& refusal : host.Refusals) {
        refusals.push_back(refusal.Reason);
        EXPECT_EQ(refusal.Engine, "Google");
    }
    EXPECT_EQ(refusals, c.Refusals);
    if (c.GoogleRequests >= 0)
        EXPECT_EQ(static_cast<int>(network.Requests(0).size()), c.GoogleRequests);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(host.State(row, KeywordRow::Google), c.GoogleCells[row]) << "row " << row;
    if (c.OthersComplete)
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(list.CellText(row, KeywordRow::Yahoo), "nk" + std::to_string(row));
            EXPECT_EQ(list.CellText(row, KeywordRow::Msn), "nk" + std::to_string(row));
        }
    // Nothing is ever asked after the run stopped: no cell beyond the planned ones.
    for (int engine = 1; engine < 3; ++engine)
        EXPECT_LE(network.Requests(engine).size(), 3u);
}

using S = CellState;
const char* const Throttled = "Google refused the request (HTTP 429 Too Many Requests).";
const char* const Forbidden = "Google refused the request (HTTP 403 Forbidden).";

INSTANTIATE_TEST_SUITE_P(
    Answers, LaneAnswerTest,
    testing::Values(
        LaneCase{"ThrottledThenAnswered", {Http(429, "HTTP/1.1 429 Too Many Requests", "0")}, {}, {}, 4,
                 {S::Counted, S::Counted, S::Counted}, true, true},
        LaneCase{"ThrottledThreeTimesThenSkipped",
                 {Http(429, "HTTP/1.1 429 Too Many Requests", "0"), Http(503, "HTTP/1.1 503 Busy", "0"),
                  Http(429, "HTTP/1.1 429 Too Many Requests", "0")},
                 {RefusalChoice::Skip}, {Throttled}, 3, {S::Skipped, S::Skipped, S::Skipped}, false, true},
        LaneCase{"ForbiddenRetriedThenAnswered", {Page("1"), Http(403, "HTTP/1.1 403 Forbidden")},
                 {RefusalChoice::Retry}, {Forbidden}, 4, {S::Counted, S::Counted, S::Counted}, true, true},
        LaneCase{"ForbiddenSkippedAfterARow", {Page("1"), Http(403, "HTTP/1.1 403 Forbidden")},
                 {RefusalChoice::Skip}, {Forbidden}, 2, {S::Counted, S::Skipped, S::Skipped}, false, true},
        LaneCase{"ForbiddenStopped", {Http(403, "HTTP/1.1 403 Forbidden")}, {RefusalChoice::Stop}, {Forbidden}, 1,
                 {S::NotAsked, S::NotAsked, S::NotAsked}, false, false},
        LaneCase{"BlockPageSkipped", {{Kind::Page, 0, "", "", "<b>5</b> blocked here"}}, {RefusalChoice::Skip},
                 {"Google refused the request (its page says the requests are blocked)."}, 1,
                 {S::Skipped, S::Skipped, S::Skipped}, false, true},
        LaneCase{"ResetOnce", {Reset()}, {}, {}, 4, {S::Counted, S::Counted, S::Counted}, true, true},
        LaneCase{"ResetThreeTimesFailsTheRun", {Reset(), Reset(), Reset()}, {}, {}, 3,
                 {S::Failed, S::NotAsked, S::NotAsked}, false, false},
        LaneCase{"ServerErrorFailsTheRun", {Page("1"), Http(500, "HTTP/1.1 500 Internal Server Error")}, {}, {}, 2,
                 {S::Counted, S::Failed, S::NotAsked}, false, false}),
    [](const testing::TestParamInfo<LaneCase>& info) { return std::string(info.param.Name); });

TEST_F(LanesTest, AFailureEndsEveryLaneAndSaysWhy)
{
    network.Scripts[0] = {Http(500, "HTTP/1.1 500 Internal Server Error")};
    network.Scripts[1] = {Page("1"), Hang};
    EXPECT_FALSE(Run(TestEngines()));
    EXPECT_EQ(host.StopsRequested, 1);
    EXPECT_EQ(host.Cells[std::make_pair(0, int(KeywordRow::Google))].second, "Google: HTTP 500 Internal Server Error");
    EXPECT_EQ(host.Statuses.back(), "Google: HTTP 500 Internal Server Error");
}

// Stops the run once `ready` holds, and remembers how many requests had gone out then.
void StopWhen(RecordingHost& host, ScriptedNetwork& network, std::function<bool(RecordingHost&)> ready,
              int& requestsAtStop)
{
    host.OnPump = [&network, ready = std::move(ready), &requestsAtStop](RecordingHost& h) {
        if (!h.Stop && ready(h))
            network.Between([&] {
                h.ClickStop();
                requestsAtStop = network.RequestCountLocked();
            });
    };
}

TEST_F(LanesTest, StopEndsAPacingWait)
{
    // An hour between requests: only Stop can end the run.
    int requestsAtStop = -1;
    StopWhen(host, network, [](RecordingHost& h) { return h.Showed("Google: next request in 3600 s"); },
             requestsAtStop);
    EXPECT_FALSE(Run(TestEngines(3600 * 1000)));
    EXPECT_EQ(network.RequestCount(), requestsAtStop);
    EXPECT_EQ(host.State(1, KeywordRow::Google), CellState::NotAsked);
    EXPECT_EQ(host.Statuses.back(), "Process aborted!");
}

TEST_F(LanesTest, StopEndsARetryAfterWait)
{
    network.Scripts[0] = {Http(429, "HTTP/1.1 429 Too Many Requests", "900")};
    int requestsAtStop = -1;
    StopWhen(host, network, [](RecordingHost& h) { return h.Showed("Google: next request in 900 s"); },
             requestsAtStop);
    EXPECT_FALSE(Run(TestEngines()));
    EXPECT_EQ(network.Requests(0).size(), 1u);
    EXPECT_EQ(network.RequestCount(), requestsAtStop);
    EXPECT_EQ(host.State(0, KeywordRow::Google), CellState::NotAsked);
}

TEST_F(LanesTest, StopEndsEveryLaneInADifferentPhase)
{
    // Google waits out a Retry-After, Yahoo waits in a request, MSN waits for its turn.
    network.Scripts[0] = {Http(429, "HTTP/1.1 429 Too Many Requests", "900")};
    network.Scripts[1] = {Hang};
    auto engines = TestEngines();
    engines[2].Delay = 3600 * 1000;
    int requestsAtStop = -1;
    ScriptedNetwork& net = network;
    StopWhen(
        host, network,
        [&net](RecordingHost& h) {
            return h.Showed("Google: next request in 900 s") && h.Showed("MSN: next request in 3600 s") &&
                   net.Hanging(1);
        },
        requestsAtStop);
    EXPECT_FALSE(Run(engines));
    EXPECT_EQ(network.RequestCount(), requestsAtStop);
    EXPECT_EQ(network.Requests(2).size(), 1u);
    EXPECT_EQ(host.State(0, KeywordRow::Yahoo), CellState::NotAsked);
}

TEST_F(LanesTest, StopWhileTheRefusalIsAskedEndsTheRun)
{
    network.Scripts[0] = {Http(403, "HTTP/1.1 403 Forbidden")};
    // The user clicks Stop while the question is open: the Retry is not honoured.
    struct StoppingHost : RecordingHost {
        using RecordingHost::RecordingHost;
        RefusalChoice AskRefused(const std::string& reason, const std::string& engine) override
        {
            Stop = true;
            return RecordingHost::AskRefused(reason, engine);
        }
    } stopping{network};
    stopping.Choices = {RefusalChoice::Retry};
    EXPECT_FALSE(GatherSearchCountsInLanes(list, stopping, TestEngines(), FullPlan(3, 3), 1));
    EXPECT_EQ(network.Requests(0).size(), 1u);
}

} // namespace
