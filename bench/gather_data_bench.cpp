// Gather Data over 1,000 keywords (3,000 fetches) against the service simulator on
// loopback, through the same code path as a click on "Gather Data" (window, status bar,
// gauge, scratch file and all), and curl fetching the same 3,000 URLs with one
// connection each, in the same run. Prints both rates.
#include "core/file_system.h"
#include "core/result_counts.h"
#include "gui/application.h"
#include "gui/main_window.h"
#include "gui/skin.h"
#include "support/sim/simulator_process.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

double Seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// curl, one process for all URLs, each request on a connection of its own.
double CurlSeconds(const std::vector<std::string>& urls)
{
    const std::string config = "/tmp/talvira-gather-bench-curl.txt";
    {
        std::ofstream out(config);
        for (const std::string& url : urls)
            out << "url = \"" << url << "\"\noutput = \"/dev/null\"\n";
    }
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(("curl -s -H 'Connection: close' -K " + config).c_str());
    const double seconds = Seconds(start);
    std::remove(config.c_str());
    return status == 0 ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int keywords = argc > 1 ? std::atoi(argv[1]) : 1000;
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);

    SimulatorProcess simulator;
    const std::string settings = ExecutableDirectory() + "dbconfig.dat";
    std::ofstream(settings) << "[Services]\nGoogleURL=" << simulator.Root() << "\nYahooURL=" << simulator.Root()
                            << "\nMsnURL=" << simulator.Root() << "\n";

    TfrmMain window;
    window.show();
    QApplication::processEvents();
    std::vector<std::string> urls;
    for (int i = 0; i < keywords; ++i) {
        const std::string keyword = "keyword " + std::to_string(i) + " golf";
        window.Keywords().AppendRow(i + 1, keyword, "");
        for (const SearchEngine& engine : SearchEngines)
            urls.push_back(SearchRequestURL(engine, window.Services(), keyword, 0));
    }

    // The search type dialog, answered Ok as soon as it shows.
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->findChild<QPushButton*>("btnOk")->click();
    });
    const auto start = std::chrono::steady_clock::now();
    window.findChild<QPushButton*>("btnGatherData")->click();
    const double gather = Seconds(start);

    int filled = 0;
    for (int row = 0; row < window.Keywords().CountRows(); ++row)
        for (const SearchEngine& engine : SearchEngines)
            filled += window.Keywords().CellText(row, engine.Cell).empty() ? 0 : 1;

    const double curl = CurlSeconds(urls);
    std::remove(settings.c_str());

    const double fetches = static_cast<double>(urls.size());
    std::printf("fetches                    %zu (cells filled: %d)\n", urls.size(), filled);
    std::printf("Gather Data                %.3f s, %.0f fetches/s   (target >= 1000/s)\n", gather, fetches / gather);
    if (curl > 0) {
        std::printf("curl, one connection each  %.3f s, %.0f fetches/s\n", curl, fetches / curl);
        std::printf("Gather Data / curl         %.0f%%   (target >= 25%%)\n", 100.0 * curl / gather);
    } else {
        std::printf("curl failed\n");
    }
    return 0;
}
