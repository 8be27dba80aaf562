// Long runs of Gather Data against the service simulator with a fixed latency per answer:
// 300 keywords, three engines, through a click on "Gather Data" in the real window, once
// with the engines side by side and once one after another ("Lanes=0"); then a paced run
// (Delay per engine) through the lanes themselves, timing each engine's requests.
//
// usage: long_run_bench [keywords] [latency ms] [paced rows] [delay ms]
#include "config/ini_file.h"
#include "config/service_addresses.h"
#include "core/count_engine.h"
#include "core/service_profile_reader.h"
#include "core/file_system.h"
#include "core/lane_client.h"
#include "core/search_lanes.h"
#include "gui/application.h"
#include "gui/main_window.h"
#include "gui/skin.h"
#include "support/sim/simulator_process.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One Gather Data run through a fresh window reading these settings; its time and the
// cells it filled.
double WindowRun(const std::string& settings, const std::string& text, int keywords, int& filled)
{
    std::ofstream(settings) << text;
    TfrmMain window;
    window.show();
    QApplication::processEvents();
    for (int i = 0; i < keywords; ++i)
        window.Keywords().AppendRow(i + 1, "keyword " + std::to_string(i) + " golf", "");
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->findChild<QPushButton*>("btnOk")->click();
    });
    const auto start = Clock::now();
    window.findChild<QPushButton*>("btnGatherData")->click();
    const double seconds = Seconds(start);
    filled = 0;
    for (int row = 0; row < window.Keywords().CountRows(); ++row)
        for (int cell = KeywordRow::Google; cell <= KeywordRow::Msn; ++cell)
            filled += window.Keywords().CellText(row, cell).empty() ? 0 : 1;
    return seconds;
}

// The start and end of every request, per engine.
struct RequestTimes {
    std::mutex Lock;
    std::map<std::string, std::vector<std::pair<Clock::time_point, Clock::time_point>>> ByEngine;
};

class TimedFetcher : public LaneFetcher {
public:
    TimedFetcher(std::string engine, RequestTimes& times) : FEngine(std::move(engine)), FTimes(times) {}
    EngineAnswer Fetch(const std::string& url, const std::vector<std::string>& headers) override
    {
        const auto start = Clock::now();
        EngineAnswer answer = FClient.Fetch(url, headers);
        std::lock_guard lock(FTimes.Lock);
        FTimes.ByEngine[FEngine].push_back({start, Clock::now()});
        return answer;
    }

private:
    std::string FEngine;
    RequestTimes& FTimes;
    ClientLaneFetcher FClient{nullptr, ""};
};

class QuietHost : public LanesHost {
public:
    explicit QuietHost(RequestTimes& times) : FTimes(times) {}
    std::unique_ptr<LaneFetcher> MakeLaneFetcher(const CountEngine& engine) override
    {
        return std::make_unique<TimedFetcher>(engine.Name, FTimes);
    }
    bool StopRequested() const override { return false; }
    void SetStopListener(std::function<void()>) override {}
    void RequestStop() override {}
    void PumpMessages() override {}
    void ShowRunStatus(const std::string&) override {}
    void ShowAnswered(int, int) override {}
    RefusalChoice AskRefused(const std::string&, const std::string&) override { return RefusalChoice::Stop; }
    void CellAsked(int, const CountEngine&, CellState, const std::string&) override {}

private:
    RequestTimes& FTimes;
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int keywords = argc > 1 ? std::atoi(argv[1]) : 300;
    const int latency = argc > 2 ? std::atoi(argv[2]) : 20;
    const int pacedRows = argc > 3 ? std::atoi(argv[3]) : 50;
    const int delay = argc > 4 ? std::atoi(argv[4]) : 200;
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);

    SimulatorProcess simulator({"--latency", std::to_string(latency)});
    const std::string settings = ExecutableDirectory() + "dbconfig.dat";
    const std::string roots = "[Services]\nGoogleURL=" + simulator.Root() + "\nYahooURL=" + simulator.Root() +
                              "\nMsnURL=" + simulator.Root() + "\n";
    int filledLanes = 0;
    int filledInTurn = 0;
    const double lanes = WindowRun(settings, roots, keywords, filledLanes);
    const double inTurn = WindowRun(settings, roots + "Lanes=0\n", keywords, filledInTurn);
    std::remove(settings.c_str());

    std::printf("latency per answer           %d ms, %d keywords x 3 engines\n", latency, keywords);
    std::printf("side by side                 %.2f s (cells filled %d)\n", lanes, filledLanes);
    std::printf("one after another (Lanes=0)  %.2f s (cells filled %d)\n", inTurn, filledInTurn);
    std::printf("side by side / in turn       %.2f   (target <= 0.40)\n", lanes / inTurn);

    // The paced run.
    ServiceAddresses addresses;
    addresses.GoogleURL = addresses.YahooURL = addresses.MsnURL = simulator.Root();
    const IniFile noSettings = IniFile::FromText({});
    std::vector<CountEngine> engines = ProfileCountEngines(BuiltInProfile({noSettings, addresses}).Engines);
    for (CountEngine& engine : engines)
        engine.Delay = delay;
    KeywordList list;
    for (int i = 0; i < pacedRows; ++i)
        list.AppendRow(i + 1, "paced " + std::to_string(i), "");
    RequestTimes times;
    QuietHost host(times);
    const auto start = Clock::now();
    GatherSearchCountsInLanes(list, host, engines, FullPlan(pacedRows, 3), 0);
    const double paced = Seconds(start);
    double smallestGap = 1e9;
    for (auto& [engine, requests] : times.ByEngine)
        for (size_t i = 1; i < requests.size(); ++i)
            smallestGap = std::min(
                smallestGap, std::chrono::duration<double, std::milli>(requests[i].first - requests[i - 1].second).count());
    const double expected = pacedRows * delay / 1000.0;
    std::printf("paced run, Delay=%d ms       %d rows in %.2f s; rows x delay %.2f s; off by %.1f%%   (target <= 10%%)\n",
                delay, pacedRows, paced, expected, 100.0 * (paced - expected) / expected);
    std::printf("smallest gap between the end of a request and the next to the same engine  %.1f ms   (target >= %d)\n",
                smallestGap, delay);
    // For the table script: name, our figure, (no curl), ratio, target.
    std::printf("TABLE|Gather Data side by side / one after another, %d ms latency|%.2f|||<= 0.40\n", latency,
                lanes / inTurn);
    std::printf("TABLE|Paced run (Delay=%d): time off rows x delay (%%)|%.1f|||<= 10\n", delay,
                100.0 * (paced - expected) / expected);
    std::printf("TABLE|Paced run: smallest gap between an engine's requests (ms)|%.1f|||>= %d\n", smallestGap, delay);
    return 0;
}
