// Gather Data through the window, directly and through the simulator's HTTP and SOCKS5
// proxies, in turns, several rounds (the best round of each compared); and how long the
// window goes unpumped while a fetch waits for a name server that answers after 2 s.
//
// usage: network_reach_bench [keywords] [rounds]
#include "core/file_system.h"
#include "gui/application.h"
#include "gui/main_window.h"
#include "gui/skin.h"
#include "net/name_lookup.h"
#include "support/sim/simulator_process.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A name server that takes its time: every name is 127.0.0.1, after the delay.
class SlowResolver : public NameResolver {
public:
    explicit SlowResolver(std::chrono::milliseconds delay) : FDelay(delay) {}
    std::vector<std::string> Resolve(const std::string&) override
    {
        std::this_thread::sleep_for(FDelay);
        return {"127.0.0.1"};
    }

private:
    std::chrono::milliseconds FDelay;
};

// A port nothing listens on now, for the simulator's proxies.
int FreePort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(socket);
    return port;
}

void WriteSettings(const std::string& root, const std::string& proxy)
{
    std::ofstream settings(ExecutableDirectory() + "dbconfig.dat");
    settings << "[Services]\nGoogleURL=" << root << "\nYahooURL=" << root << "\nMsnURL=" << root << "\n";
    if (!proxy.empty())
        settings << "[Proxy]\nProxy=" << proxy << "\nNoProxy=none\n";
}

// One Gather Data over the window's keywords; its seconds.
double GatherOnce(TfrmMain& window)
{
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->findChild<QPushButton*>("btnOk")->click();
    });
    const auto start = Clock::now();
    window.findChild<QPushButton*>("btnGatherData")->click();
    const QString status = window.findChild<QLabel*>("MainStatusPanel")->text();
    if (status != "Process completed sucessfull!")
        std::fprintf(stderr, "the run ended with: %s\n", qPrintable(status));
    return Seconds(start);
}

// A fresh window reading the settings as written, with the keywords.
std::unique_ptr<TfrmMain> OpenWindow(int keywords)
{
    auto window = std::make_unique<TfrmMain>();
    window->show();
    QApplication::processEvents();
    for (int i = 0; i < keywords; ++i)
        window->Keywords().AppendRow(i + 1, "keyword " + std::to_string(i) + " golf", "");
    return window;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int keywords = argc > 1 ? std::atoi(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);

    const int httpProxy = FreePort();
    const int socksProxy = FreePort();
    SimulatorProcess simulator(
        {"--proxy-port", std::to_string(httpProxy), "--socks-port", std::to_string(socksProxy)});
    const std::pair<const char*, std::string> routes[] = {
        {"direct", ""},
        {"HTTP proxy", "http://127.0.0.1:" + std::to_string(httpProxy)},
        {"SOCKS5 proxy", "socks5://127.0.0.1:" + std::to_string(socksProxy)},
    };
    std::vector<std::vector<double>> runs(std::size(routes));
    for (int round = 0; round < rounds; ++round) {
        for (size_t route = 0; route < std::size(routes); ++route) {
            WriteSettings(simulator.Root(), routes[route].second);
            auto window = OpenWindow(keywords);
            runs[route].push_back(GatherOnce(*window));
        }
    }

    // The window's pumps while the only name of the services takes 2 s to look up.
    WriteSettings("http://slow.test:" + std::to_string(simulator.Port()), "");
    const auto previous = SetNameResolver(std::make_shared<SlowResolver>(std::chrono::milliseconds(2000)));
    auto window = OpenWindow(1);
    double longestGap = 0;
    auto last = Clock::now();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longestGap = std::max(longestGap, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    });
    ticker.start(1);
    last = Clock::now();
    const double slowFetch = GatherOnce(*window);
    ticker.stop();
    SetNameResolver(previous);
    window.reset();
    std::remove((ExecutableDirectory() + "dbconfig.dat").c_str());

    const double fetches = 3.0 * keywords;
    const double direct = *std::min_element(runs[0].begin(), runs[0].end());
    std::printf("fetches per round          %.0f, %d rounds\n", fetches, rounds);
    for (size_t route = 0; route < std::size(routes); ++route) {
        const double best = *std::min_element(runs[route].begin(), runs[route].end());
        std::printf("%-26s %.0f fetches/s, %.0f%% of direct   (target >= 80%%)\n", routes[route].first,
                    fetches / best, 100.0 * direct / best);
        if (route > 0)
            std::printf("TABLE|Gather Data through the %s / direct (fetches/s)|%.0f|%.0f|%.2f|>= 0.80\n",
                        routes[route].first, fetches / best, fetches / direct, direct / best);
    }
    std::printf("lookup of 2 s: the run took %.2f s; longest gap between the window's pumps %.1f ms\n", slowFetch,
                longestGap);
    std::printf("TABLE|Longest unpumped gap during a 2 s name lookup (ms)|%.1f|||< 250\n", longestGap);
    return 0;
}
