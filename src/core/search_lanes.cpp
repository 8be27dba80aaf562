#include "core/search_lanes.h"

#include "net/anti_freeze.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Waits from this long are shown in the status bar, in whole seconds rounded up.
constexpr milliseconds CountdownThreshold{500};

struct LaneRow {
    int Row;
    std::string Keyword;
};

// What a lane hands to the window's thread.
struct LaneEvent {
    enum class Kind { Status, Cell, Refused, Failed, Ended };
    Kind What;
    size_t Lane = 0;
    int Row = -1;
    CellState State = CellState::NotAsked;
    std::string Text; // the status, the count, or the reason
};

// Everything the lanes and the window's thread share, under one lock.
class LaneBoard {
public:
    explicit LaneBoard(size_t lanes) : FChoices(lanes) {}

    // --- lanes ---
    void Post(LaneEvent event)
    {
        {
            std::lock_guard lock(FLock);
            FEvents.push_back(std::move(event));
        }
        FWindowWake.notify_one();
    }
    bool Stopped() const { return FStop.load(); }
    // False when the run was stopped before the deadline.
    bool WaitUntil(Clock::time_point deadline)
    {
        std::unique_lock lock(FLock);
        return !FLanesWake.wait_until(lock, deadline, [this] { return FStop.load(); });
    }
    // Waits while the run is paused; false when it was stopped.
    bool PassGate()
    {
        std::unique_lock lock(FLock);
        FLanesWake.wait(lock, [this] { return FStop.load() || !FPaused; });
        return !FStop.load();
    }
    RefusalChoice AwaitChoice(size_t lane)
    {
        std::unique_lock lock(FLock);
        FLanesWake.wait(lock, [&] { return FStop.load() || FChoices[lane].has_value(); });
        if (FStop.load())
            return RefusalChoice::Stop;
        const RefusalChoice choice = *FChoices[lane];
        FChoices[lane].reset();
        return choice;
    }

    // --- the window's thread ---
    std::vector<LaneEvent> Take(milliseconds longest)
    {
        std::unique_lock lock(FLock);
        FWindowWake.wait_for(lock, longest, [this] { return !FEvents.empty(); });
        return std::exchange(FEvents, {});
    }
    void Stop()
    {
        {
            std::lock_guard lock(FLock);
            FStop = true;
        }
        FLanesWake.notify_all();
    }
    void SetPaused(bool paused)
    {
        {
            std::lock_guard lock(FLock);
            FPaused = paused;
        }
        FLanesWake.notify_all();
    }
    void Answer(size_t lane, RefusalChoice choice)
    {
        {
            std::lock_guard lock(FLock);
            FChoices[lane] = choice;
        }
        FLanesWake.notify_all();
    }

private:
    std::mutex FLock;
    std::condition_variable FLanesWake;
    std::condition_variable FWindowWake;
    std::vector<LaneEvent> FEvents;
    std::atomic<bool> FStop{false};
    bool FPaused = false;
    std::vector<std::optional<RefusalChoice>> FChoices;
};

// One engine's walk over its rows, on its own thread.
class Lane {
public:
    Lane(size_t index, const CountEngine& engine, std::vector<LaneRow> rows, int searchMode, LaneFetcher& fetcher,
         LaneBoard& board)
        : FIndex(index), FEngine(engine), FRows(std::move(rows)), FSearchMode(searchMode), FFetcher(fetcher),
          FBoard(board), FPolicy(engine.Name, engine.Blocked), FRandom(std::random_device{}())
    {
        FFetcher.SetStatusSink(
            [this](std::string text) { Post(LaneEvent::Kind::Status, -1, CellState::NotAsked, std::move(text)); });
    }

    void Run()
    {
        try {
            const WaitInterruption interruption([this] {
                if (FBoard.Stopped())
                    throw LaneStopped();
            });
            for (size_t next = 0; next < FRows.size(); ++next)
                if (!AskRow(next))
                    break;
        } catch (const LaneStopped&) {
            // Stopped in a request: the cell stays not asked.
        } catch (const std::exception& error) {
            Post(LaneEvent::Kind::Failed, -1, CellState::Failed, FEngine.Name + ": " + error.what());
        }
        Post(LaneEvent::Kind::Ended, -1, CellState::NotAsked, {});
    }

private:
    // False when the lane ends before its rows are done.
    bool AskRow(size_t index)
    {
        const LaneRow& row = FRows[index];
        const std::string url = FEngine.RequestURL(row.Keyword, FSearchMode);
        const std::vector<std::string> headers =
            FEngine.RequestHeaders ? FEngine.RequestHeaders(row.Keyword) : std::vector<std::string>{};
        for (;;) {
            if (!WaitForTurn() || !FBoard.PassGate())
                return false;
            Post(LaneEvent::Kind::Status, -1, CellState::NotAsked, "Getting URL: " + url + "...");
            const EngineAnswer answer = FFetcher.Fetch(url, headers);
            FNextRequest = Clock::now() + PacingGap();
            const AnswerStep step = FPolicy.Judge(answer, std::time(nullptr));
            switch (step.What) {
            case AnswerStep::Action::Read: {
                std::string count = FEngine.ReadCount(answer.Text);
                const CellState state = count.empty() ? CellState::NoCount : CellState::Counted;
                Post(LaneEvent::Kind::Cell, row.Row, state, std::move(count));
                return true;
            }
            case AnswerStep::Action::AskAgain:
                FNextRequest = std::max(FNextRequest, Clock::now() + step.Wait);
                continue;
            case AnswerStep::Action::Blocked:
                Post(LaneEvent::Kind::Refused, row.Row, CellState::NotAsked, step.Reason);
                switch (FBoard.AwaitChoice(FIndex)) {
                case RefusalChoice::Retry:
                    FPolicy.Reset();
                    continue;
                case RefusalChoice::Skip:
                    for (size_t rest = index; rest < FRows.size(); ++rest)
                        Post(LaneEvent::Kind::Cell, FRows[rest].Row, CellState::Skipped, {});
                    return false;
                case RefusalChoice::Stop:
                    return false;
                }
                return false;
            case AnswerStep::Action::Failed:
                Post(LaneEvent::Kind::Failed, row.Row, CellState::Failed, step.Reason);
                return false;
            }
        }
    }

    // Waits until the engine may be asked again, saying so each second; false when stopped.
    bool WaitForTurn()
    {
        long shown = -1;
        for (;;) {
            const auto left = FNextRequest - Clock::now();
            if (left <= Clock::duration::zero())
                return !FBoard.Stopped();
            const long seconds = static_cast<long>(std::chrono::ceil<std::chrono::seconds>(left).count());
            // A short pacing gap goes unannounced; a wait the user would notice is counted down.
            if (left >= CountdownThreshold && seconds != shown) {
                shown = seconds;
                Post(LaneEvent::Kind::Status, -1, CellState::NotAsked,
                     FEngine.Name + ": next request in " + std::to_string(seconds) + " s");
            }
            // Wakes at the next whole second of the countdown, or at the end of the wait.
            const auto tick = left - std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(seconds - 1));
            if (!FBoard.WaitUntil(Clock::now() + std::min(left, tick)))
                return false;
        }
    }

    Clock::duration PacingGap()
    {
        int jitter = 0;
        if (FEngine.Jitter > 0)
            jitter = std::uniform_int_distribution<int>(0, FEngine.Jitter)(FRandom);
        return milliseconds(std::max(FEngine.Delay, 0) + jitter);
    }

    void Post(LaneEvent::Kind kind, int row, CellState state, std::string text)
    {
        FBoard.Post(LaneEvent{kind, FIndex, row, state, std::move(text)});
    }

    size_t FIndex;
    const CountEngine& FEngine;
    std::vector<LaneRow> FRows;
    int FSearchMode;
    LaneFetcher& FFetcher;
    LaneBoard& FBoard;
    AnswerPolicy FPolicy;
    std::mt19937 FRandom;
    Clock::time_point FNextRequest = Clock::now();
};

// Stops and joins the lanes on every way out, an error on the window's side included.
class LaneThreads {
public:
    explicit LaneThreads(LaneBoard& board) : FBoard(board) {}
    ~LaneThreads()
    {
        FBoard.Stop();
        for (std::thread& thread : FThreads)
            thread.join();
    }
    LaneThreads(const LaneThreads&) = delete;
    LaneThreads& operator=(const LaneThreads&) = delete;

    void Start(Lane& lane) { FThreads.emplace_back([&lane] { lane.Run(); }); }

private:
    LaneBoard& FBoard;
    std::vector<std::thread> FThreads;
};

} // namespace

LanePlan FullPlan(int rows, int engines)
{
    std::vector<int> all(static_cast<size_t>(std::max(rows, 0)));
    for (int row = 0; row < rows; ++row)
        all[static_cast<size_t>(row)] = row;
    return LanePlan(static_cast<size_t>(std::max(engines, 0)), all);
}

bool GatherSearchCountsInLanes(KeywordList& list, LanesHost& host, const std::vector<CountEngine>& engines,
                               const LanePlan& plan, int searchMode)
{
    const size_t laneCount = std::min(engines.size(), plan.size());
    std::vector<std::unique_ptr<LaneFetcher>> fetchers;
    std::vector<std::unique_ptr<Lane>> lanes;
    LaneBoard board(laneCount);
    int requests = 0;
    for (size_t index = 0; index < laneCount; ++index) {
        std::vector<LaneRow> rows;
        for (int row : plan[index])
            if (row >= 0 && row < list.CountRows())
                rows.push_back({row, list.CellText(row, KeywordRow::Keywords)});
        requests += static_cast<int>(rows.size());
        fetchers.push_back(host.MakeLaneFetcher(engines[index]));
        lanes.push_back(std::make_unique<Lane>(index, engines[index], std::move(rows), searchMode, *fetchers.back(),
                                               board));
    }

    int answered = 0;
    bool failed = false;
    bool skipped = false;
    bool stopped = false;
    host.ShowAnswered(0, requests);
    {
        host.SetStopListener([&board] { board.Stop(); });
        // Told before the board goes, on every way out.
        struct Unlisten {
            LanesHost& Host;
            ~Unlisten() { Host.SetStopListener(nullptr); }
        } unlisten{host};
        LaneThreads threads(board);
        for (auto& lane : lanes)
            threads.Start(*lane);
        size_t running = laneCount;
        while (running > 0) {
            for (LaneEvent& event : board.Take(milliseconds(LanePumpInterval))) {
                const CountEngine& engine = engines[event.Lane];
                switch (event.What) {
                case LaneEvent::Kind::Status:
                    if (!board.Stopped())
                        host.ShowRunStatus(event.Text);
                    break;
                case LaneEvent::Kind::Cell:
                    if (event.Row >= list.CountRows())
                        break;
                    if (event.State == CellState::Skipped) {
                        skipped = true;
                    } else {
                        list.SetCellText(event.Row, engine.Cell, std::move(event.Text));
                        host.ShowAnswered(++answered, requests);
                    }
                    host.CellAsked(event.Row, engine, event.State, {});
                    break;
                case LaneEvent::Kind::Refused: {
                    // The other lanes ask nothing while the user decides.
                    board.SetPaused(true);
                    RefusalChoice choice = RefusalChoice::Stop;
                    if (!host.StopRequested())
                        choice = host.AskRefused(event.Text, engine.Name);
                    if (host.StopRequested())
                        choice = RefusalChoice::Stop;
                    if (choice == RefusalChoice::Stop) {
                        host.RequestStop();
                        board.Stop();
                    }
                    board.Answer(event.Lane, choice);
                    board.SetPaused(false);
                    break;
                }
                case LaneEvent::Kind::Failed:
                    failed = true;
                    if (event.Row >= 0 && event.Row < list.CountRows())
                        host.CellAsked(event.Row, engine, CellState::Failed, event.Text);
                    host.ShowRunStatus(event.Text);
                    host.RequestStop();
                    board.Stop();
                    break;
                case LaneEvent::Kind::Ended:
                    --running;
                    break;
                }
            }
            host.PumpMessages();
            if (host.StopRequested())
                board.Stop();
        }
        stopped = board.Stopped();
    }
    if (!failed)
        host.ShowRunStatus(stopped ? "Process aborted!" : "Process completed sucessfull!");
    return !failed && !stopped && !skipped;
}
