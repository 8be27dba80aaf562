// Gather Data over 300 keywords (900 fetches, one connection each) against the service
// simulator on loopback, through a click on "Gather Data" in the real window (status bar,
// gauge, scratch file, repaints and all), and curl fetching the same 900 URLs with one
// connection each, in the same run. Runs on the display it is given: under xvfb-run the
// window is painted on an X server as a user's would be.
//
// The two are measured in turns, several rounds, so that a busy moment of the machine
// does not fall on one side only; the best round of each is compared. It also measures
// how long a written cell waits for the table to paint it.
//
// With a profile the same run goes through the engines it describes: "written" is the
// built-in profile written out (examples/profiles/builtin.ini), "json" the simulator's
// JSON profile (its Google page and its JSON count API, which wants a key in a header;
// curl sends the same header).
//
// usage: gather_data_bench [keywords] [rounds] [builtin|written|json]
#include "core/file_system.h"
#include "core/result_counts.h"
#include "gui/application.h"
#include "gui/main_window.h"
#include "gui/skin.h"
#include "support/sim/simulator_process.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// curl, one process for all URLs, each request on a connection of its own.
double CurlSeconds(const std::vector<std::string>& urls, const std::string& header)
{
    const std::string config = "/tmp/talvira-gather-bench-curl.txt";
    {
        std::ofstream out(config);
        if (!header.empty())
            out << "header = \"" << header << "\"\n";
        for (const std::string& url : urls)
            out << "url = \"" << url << "\"\noutput = \"/dev/null\"\n";
    }
    const auto start = Clock::now();
    const int status = std::system(("curl -s -H 'Connection: close' -K " + config).c_str());
    const double seconds = Seconds(start);
    std::remove(config.c_str());
    return status == 0 ? seconds : -1;
}

// Times from each cell written in view to the next paint of the table.
class CellPaintWatch : public QObject {
public:
    explicit CellPaintWatch(QTableView& table) : FViewport(*table.viewport())
    {
        // Only a cell in view has anything to show.
        connect(table.model(), &QAbstractItemModel::dataChanged, this, [this, &table](const QModelIndex& cell) {
            if (FWatching && FViewport.rect().intersects(table.visualRect(cell)))
                FWritten.push_back(Clock::now());
        });
        FViewport.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &FViewport && event->type() == QEvent::Paint) {
            const auto now = Clock::now();
            for (const Clock::time_point written : FWritten)
                FDelays.push_back(std::chrono::duration<double, std::milli>(now - written).count());
            FWritten.clear();
        }
        return false;
    }

    // Only cells written by a run count.
    void Watch(bool on) { FWatching = on; }

    // Cells written but never painted count as infinitely late.
    std::vector<double> Delays() const
    {
        std::vector<double> delays = FDelays;
        delays.insert(delays.end(), FWritten.size(), 1e9);
        std::sort(delays.begin(), delays.end());
        return delays;
    }

private:
    QWidget& FViewport;
    bool FWatching = false;
    std::deque<Clock::time_point> FWritten;
    std::vector<double> FDelays;
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int keywords = argc > 1 ? std::atoi(argv[1]) : 300;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string profile = argc > 3 ? argv[3] : "builtin";
    std::string profileLine;
    std::string curlHeader;
    if (profile == "written") {
        profileLine = "Profile=" TALVIRA_EXAMPLE_PROFILES "/builtin.ini\n";
    } else if (profile == "json") {
        profileLine = "Profile=" TALVIRA_EXAMPLE_PROFILES "/simulator-json.ini\n";
        curlHeader = "X-Api-Key: sim-4f2a9c";
    } else if (profile != "builtin") {
        std::fprintf(stderr, "profile must be builtin, written or json\n");
        return 2;
    }
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);

    SimulatorProcess simulator;
    const std::string settings = ExecutableDirectory() + "dbconfig.dat";
    std::ofstream(settings) << "[Services]\nGoogleURL=" << simulator.Root() << "\nYahooURL=" << simulator.Root()
                            << "\nMsnURL=" << simulator.Root() << "\n" << profileLine;

    TfrmMain window;
    window.show();
    QApplication::processEvents();
    std::vector<std::string> urls;
    for (int i = 0; i < keywords; ++i) {
        const std::string keyword = "keyword " + std::to_string(i) + " golf";
        window.Keywords().AppendRow(i + 1, keyword, "");
        for (const EngineProfile& engine : window.Profile().Engines)
            urls.push_back(SearchRequestURL(engine, keyword, 0));
    }
    CellPaintWatch watch(*window.findChild<QTableView*>("lvwItems"));

    std::vector<double> gatherRuns;
    std::vector<double> curlRuns;
    int filled = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int row = 0; row < window.Keywords().CountRows(); ++row)
            for (int cell = KeywordRow::FirstEngineCell; cell < window.Keywords().CellCount(); ++cell)
                window.Keywords().SetCellText(row, cell, "");
        QApplication::processEvents();

        // The search type dialog, answered Ok as soon as it shows.
        QTimer::singleShot(0, [] {
            if (QWidget* dialog = QApplication::activeModalWidget())
                dialog->findChild<QPushButton*>("btnOk")->click();
        });
        watch.Watch(true);
        const auto start = Clock::now();
        window.findChild<QPushButton*>("btnGatherData")->click();
        gatherRuns.push_back(Seconds(start));
        watch.Watch(false);
        // The event loop as the program runs it after the click, until the last cells
        // are painted.
        const auto idle = Clock::now();
        while (Seconds(idle) < 0.1)
            QApplication::processEvents(QEventLoop::AllEvents, 5);

        filled = 0;
        for (int row = 0; row < window.Keywords().CountRows(); ++row)
            for (int cell = KeywordRow::FirstEngineCell; cell < window.Keywords().CellCount(); ++cell)
                filled += window.Keywords().CellText(row, cell).empty() ? 0 : 1;
        curlRuns.push_back(CurlSeconds(urls, curlHeader));
    }
    std::remove(settings.c_str());

    const double fetches = static_cast<double>(urls.size());
    const double gather = *std::min_element(gatherRuns.begin(), gatherRuns.end());
    const double curl = *std::min_element(curlRuns.begin(), curlRuns.end());
    std::vector<double> sortedGather = gatherRuns;
    std::sort(sortedGather.begin(), sortedGather.end());
    const std::vector<double> delays = watch.Delays();
    const auto percentile = [&](double p) {
        return delays.empty() ? 0.0 : delays[std::min(delays.size() - 1, static_cast<size_t>(p * delays.size()))];
    };

    std::printf("display                    %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("profile                    %s (%zu engines)\n", profile.c_str(), window.Profile().Engines.size());
    std::printf("fetches per round          %zu (cells filled: %d), %d rounds\n", urls.size(), filled, rounds);
    std::printf("Gather Data, best round    %.3f s, %.0f fetches/s (median round %.0f/s)\n", gather, fetches / gather,
                fetches / sortedGather[sortedGather.size() / 2]);
    if (curl > 0) {
        std::printf("curl, best round           %.3f s, %.0f fetches/s\n", curl, fetches / curl);
        std::printf("Gather Data / curl         %.0f%%   (target >= 50%%)\n", 100.0 * curl / gather);
    } else {
        std::printf("curl failed\n");
    }
    std::printf("cell written -> painted    median %.1f ms, 99%% %.1f ms, max %.1f ms   (target < 50 ms)\n",
                percentile(0.5), percentile(0.99), delays.empty() ? 0.0 : delays.back());
    // For the table script: name, our figure, curl's, ratio.
    std::printf("TABLE|Gather Data, %s profile, on %s (fetches/s)|%.0f|%.0f|%.2f|>= 0.50\n", profile.c_str(),
                qPrintable(QGuiApplication::platformName()), fetches / gather, curl > 0 ? fetches / curl : 0.0,
                curl > 0 ? curl / gather : 0.0);
    std::printf("TABLE|Cell written by a run to painted, %s profile, max (ms)|%.1f|||< 50\n", profile.c_str(),
                delays.empty() ? 0.0 : delays.back());
    return 0;
}
