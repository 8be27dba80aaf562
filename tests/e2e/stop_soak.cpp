// The Stop soak: Gather Data runs through the main window's handlers against service
// simulators, with Stop clicked (once, twice or three times, at once or through the
// message queue) or the window closed at random moments of every phase of a fetch:
// before the request, connecting, waiting for the status line, in the headers, in each
// body framing, inside a progress event, after a cell. After every stop it checks the
// window (idle, no dialog opened, nothing sent after the stop, cells either untouched or
// right) and that the next run gathers every count again. Run by scripts/stop-soak,
// built with the sanitizers; not part of the test suite.
//
// usage: talvira_stop_soak [fetches] [seed]
#include "core/file_system.h"
#include "gui/application.h"
#include "gui/gauge.h"
#include "gui/main_window.h"
#include "gui/skin.h"
#include "net/anti_freeze.h"
#include "net/http.h"
#include "support/net/scripted_server.h"
#include "support/sim/simulator_process.h"
#include "window_events.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The simulators, one per way of answering.
enum Service { Plain, Chunked, UntilClose, Delayed, Redirected, Unanswered };
const char* const ServiceNames[] = {"body with a length", "chunked body", "body until the close",
                                    "delayed answer", "redirected", "unanswered connect"};

struct WindowSetup {
    Service Engines[3];       // Google, Yahoo, MSN
    int32_t RecvBufferSize;   // small: many reads, each a chance for a pump
    bool PumpOnEveryWait;     // the anti-freeze pumps after every socket wait, not only idle ones
};

const WindowSetup Setups[] = {
    {{Plain, Chunked, UntilClose}, 16, true},
    {{Redirected, Delayed, Plain}, 64, true},
    {{Chunked, UntilClose, Delayed}, 32768, false},
    {{UntilClose, Redirected, Chunked}, 512, true},
    {{Plain, Plain, Chunked}, 32768, false},
};

enum class Trigger { Pump, ProgressEvent, Connecting, CellWritten };
const char* const TriggerNames[] = {"message pump", "progress event", "connect", "cell written"};
// A pump trigger may wait for a pump in a given phase (a beginning of PhaseOf's text).
const char* const PumpPhases[] = {"", "before the request", "waiting for the status line", "headers", "body"};

// What the window is doing at a moment, as the soak sees it from outside.
std::string PhaseOf(TfrmMain& window, bool connecting, bool bodyStarted, const std::string& engine)
{
    TIdHTTP& client = window.HttpClient();
    const QString status = window.findChild<QLabel*>("MainStatusPanel")->text();
    if (!status.startsWith("Getting URL: "))
        return "between fetches";
    if (connecting)
        return "connecting";
    if (client.Tally(wmRead).Depth > 0)
        return "body: " + engine;
    if (bodyStarted)
        return "after the body: " + engine;
    if (!client.IsConnected())
        return "before the request";
    if (client.Response().StatusLine.empty())
        return "waiting for the status line: " + engine;
    return "headers: " + engine;
}

class Soak {
public:
    Soak(int fetches, unsigned seed) : FTarget(fetches), FRandom(seed)
    {
        const std::vector<std::vector<std::string>> options = {
            {}, {"--chunked"}, {"--until-close"}, {"--delay-ms", "30"}, {"--redirect"}};
        for (std::size_t i = 0; i < options.size(); ++i) {
            std::vector<std::string> withLog = options[i];
            FLogs.push_back("/tmp/talvira-soak-" + std::to_string(::getpid()) + "-" + std::to_string(i) + ".log");
            withLog.insert(withLog.end(), {"--log", FLogs.back()});
            FSimulators.push_back(std::make_unique<SimulatorProcess>(withLog));
        }
    }

    ~Soak()
    {
        FWindow.reset();
        std::remove(Settings().c_str());
        for (const std::string& log : FLogs)
            std::remove(log.c_str());
    }

    int Run()
    {
        const auto start = Clock::now();
        std::thread watchdog([this] { Watch(); });
        int setup = 0;
        while (FConnects < FTarget) {
            OpenWindow(Setups[setup % std::size(Setups)]);
            for (int run = 0; run < 40 && FConnects < FTarget && FWindow; ++run)
                StoppedRunThenCheck();
            if (FWindow && FRandom() % 4 == 0)
                UnansweredConnect();
            ++setup;
        }
        FWindow.reset();
        FDone = true;
        watchdog.join();
        Report(std::chrono::duration<double>(Clock::now() - start).count());
        return FViolations.empty() ? 0 : 1;
    }

private:
    static std::string Settings() { return ExecutableDirectory() + "dbconfig.dat"; }

    std::string Root(Service service)
    {
        if (service == Unanswered)
            return "http://127.0.0.1:" + std::to_string(FUnanswered.Port());
        return FSimulators[static_cast<std::size_t>(service)]->Root();
    }

    void OpenWindow(const WindowSetup& setup)
    {
        FWindow.reset();
        FSetup = setup;
        std::ofstream(Settings()) << "[Services]\nGoogleURL=" << Root(setup.Engines[0])
                                  << "\nYahooURL=" << Root(setup.Engines[1]) << "\nMsnURL=" << Root(setup.Engines[2])
                                  << "\nLanes=0\n";
        FWindow = std::make_unique<TfrmMain>();
        FWindow->show();
        QApplication::processEvents();
        FWindow->HttpClient().RecvBufferSize = setup.RecvBufferSize;
        CurrentAntiFreeze()->OnlyWhenIdle = !setup.PumpOnEveryWait;
        Instrument();
        TfrmMain& window = *FWindow;

        const int rows = 1 + static_cast<int>(FRandom() % 6);
        for (int row = 0; row < rows; ++row)
            window.Keywords().AppendRow(row + 1, "soak keyword " + std::to_string(FRandom() % 1000) + " golf", "");
        // The first run, never stopped, gives the counts every later run must write.
        ClearCells();
        GatherData();
        FTruth.clear();
        for (int row = 0; row < rows; ++row)
            for (int cell : {KeywordRow::Google, KeywordRow::Yahoo, KeywordRow::Msn})
                FTruth.push_back(window.Keywords().CellText(row, cell));
        CheckVerification("first run of a window");
    }

    // The soak's hooks into a new window: status and progress events, cells, Stop
    // clicks, and a check in every message pump.
    void Instrument()
    {
        TfrmMain& window = *FWindow;
        ChainStatus();
        QObject::connect(window.findChild<Gauge*>("MainGauge"), &QProgressBar::valueChanged, [this] {
            if (FWindow->HttpClient().Tally(wmRead).Depth > 0)
                FBodyStarted = true;
            if (Armed(Trigger::ProgressEvent))
                FireStop(true);
        });
        // Runs after the window's own handler: from here on the stop flag is set.
        QObject::connect(Button("btnGatherData"), &QPushButton::clicked, [this] {
            if (FArmedRun && FStopFired)
                FStopHandled = true;
        });
        QObject::connect(window.findChild<QTableView*>("lvwItems")->model(), &QAbstractItemModel::dataChanged,
                         [this] {
                             if (Armed(Trigger::CellWritten))
                                 FireStop(false);
                         });
        FPump = std::make_unique<QTimer>();
        FPump->setInterval(0);
        QObject::connect(FPump.get(), &QTimer::timeout, [this] { OnPump(); });
        FPump->start();
    }

    QPushButton* Button(const char* name) { return FWindow->findChild<QPushButton*>(name); }

    // Watches the status events of the client and of the transport the window assigned
    // it (which reports the connect), after the window's own handlers of them.
    void ChainStatus()
    {
        TIdHTTP& client = FWindow->HttpClient();
        for (TIdComponent* component : {static_cast<TIdComponent*>(&client),
                                        static_cast<TIdComponent*>(client.IOHandler().get())}) {
            if (!component)
                continue;
            component->OnStatus = [this, windows = component->OnStatus](TIdComponent& sender, TIdStatus status,
                                                                        const std::string& text) {
                // The window's handler first: a connection it refuses is not counted.
                if (windows)
                    windows(sender, status, text);
                OnStatus(status);
            };
        }
    }

    void ClearCells()
    {
        for (int row = 0; row < FWindow->Keywords().CountRows(); ++row)
            for (int cell : {KeywordRow::Google, KeywordRow::Yahoo, KeywordRow::Msn})
                FWindow->Keywords().SetCellText(row, cell, "-");
    }

    // Clicks "Gather Data" and confirms the search type; returns when the run is over.
    void GatherData()
    {
        FExpectSearchDialog = true;
        FInRun = true;
        Button("btnGatherData")->click();
        FInRun = false;
        FExpectSearchDialog = false;
        ++FProgress;
    }

    // Gather Data as a run the soak stops: the trigger drawn for it fires once, and the
    // stop and what follows it are counted afresh.
    void ArmedGatherData()
    {
        FSeen = 0;
        FStopFired = false;
        FStopHandled = false;
        FConnectsAfterStop = 0;
        FArmedRun = true;
        GatherData();
        FArmedRun = false;
    }

    void StoppedRunThenCheck()
    {
        ClearCells();
        FTrigger = static_cast<Trigger>(FRandom() % 4);
        const int fetches = 3 * FWindow->Keywords().CountRows();
        // Roughly how many of the trigger's events a whole run has, so that the stop
        // falls anywhere in it.
        FPumpPhase = PumpPhases[FRandom() % std::size(PumpPhases)];
        const int pumpsPerFetch = FSetup.PumpOnEveryWait ? 8192 / FSetup.RecvBufferSize + 4 : 4;
        const bool anyPump = FTrigger == Trigger::Pump && FPumpPhase[0] == '\0';
        const int perFetch = anyPump ? pumpsPerFetch : FTrigger == Trigger::ProgressEvent ? 3 : 1;
        FTriggerCount = static_cast<int>(FRandom() % static_cast<unsigned>(fetches * perFetch));
        FClicks = 1 + static_cast<int>(FRandom() % 3);
        FClose = FRandom() % 50 == 0;
        ArmedGatherData();
        if (!FStopFired) {
            ++FUnstoppedRuns;
            CheckVerification("a run the stop missed");
            return;
        }
        ++FStops[FPhaseAtFire];
        if (FClose) {
            CheckClosed();
            return;
        }
        CheckAfterStop();
        ClearCells();
        GatherData();
        CheckVerification("the run after a stop");
    }

    bool Armed(Trigger trigger)
    {
        if (!FArmedRun || !FInRun || FStopFired || FTrigger != trigger || FExpectSearchDialog)
            return false;
        return FSeen++ == FTriggerCount;
    }

    void OnPump()
    {
        AnswerDialogs();
        if (FWindow && FWindow->HttpClient().Tally(wmRead).Depth > 0)
            FBodyStarted = true;
        if (FArmedRun && FInRun && !FStopFired && FTrigger == Trigger::Pump &&
            PhaseOf(*FWindow, FConnecting, FBodyStarted, Engine()).rfind(FPumpPhase, 0) != 0)
            return;
        if (Armed(Trigger::Pump))
            FireStop(false);
    }

    void OnStatus(TIdStatus status)
    {
        if (status == hsConnecting) {
            ++FConnects;
            ++FProgress;
            if (FArmedRun && FStopHandled && FInRun)
                ++FConnectsAfterStop;
            FConnecting = true;
            if (Armed(Trigger::Connecting))
                FireStop(true);
        } else if (status == hsConnected) {
            FConnecting = false;
            FBodyStarted = false;
            // Cleared here so the soak can tell "waiting for the status line" from "headers".
            FWindow->HttpClient().Response().StatusLine.clear();
        } else if (status == hsDisconnected) {
            FConnecting = false;
        }
    }

    std::string Engine()
    {
        const QString status = FWindow->findChild<QLabel*>("MainStatusPanel")->text();
        const int engine = status.contains("/results.aspx?") ? 2 : status.contains("/search?p=") ? 1 : 0;
        return ServiceNames[FSetup.Engines[engine]];
    }

    // Stop where the soak stands now: clicked here (`now`, as a pump at this point would
    // handle it) or queued for the next pump; or the window closed.
    void FireStop(bool now)
    {
        FStopFired = true;
        FPhaseAtFire = FTrigger == Trigger::ProgressEvent ? "inside a progress event: " + Engine()
                                                          : PhaseOf(*FWindow, FConnecting, FBodyStarted, Engine());
        FPhaseAtFire +=
            std::string(" / ") + TriggerNames[static_cast<int>(FTrigger)] + (now ? ", at once" : ", queued");
        if (FClose) {
            FPhaseAtFire = "close: " + FPhaseAtFire;
            // The rows were never saved: the close asks first, and is answered Discard.
            FExpectCloseQuestion = true;
            FWindow->close();
            FExpectCloseQuestion = false;
            FStopHandled = true;
            return;
        }
        QPushButton* gatherData = Button("btnGatherData");
        if (now) {
            PostClicks(gatherData, FClicks - 1);
            gatherData->click();
        } else {
            PostClicks(gatherData, FClicks);
        }
        ++FClickCounts[FClicks];
    }

    // The search type dialog of a run is confirmed; any other dialog during a run is a
    // fault, and is closed.
    void AnswerDialogs()
    {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        if (FExpectCloseQuestion && dialog->objectName() == "msgMain") {
            if (auto* discard = dialog->findChild<QPushButton*>("btnDiscard"))
                discard->click();
            return;
        }
        if (FExpectSearchDialog && dialog->objectName() == "frmSelSearch") {
            FExpectSearchDialog = false;
            if (auto* ok = dialog->findChild<QPushButton*>("btnOk"))
                ok->click();
            return;
        }
        if (FInRun)
            Violation("a dialog opened during a run: " + dialog->objectName().toStdString());
        dialog->close();
    }

    void Violation(const std::string& what)
    {
        if (FViolations.size() < 50)
            std::fprintf(stderr, "VIOLATION: %s\n", what.c_str());
        FViolations.push_back(what);
    }

    void CheckIdle(const std::string& when)
    {
        // Stop clicks still queued are handled now, as the event loop would; each must
        // find the window idle (it then opens the search type dialog, which is cancelled).
        QApplication::processEvents();
        QApplication::processEvents();
        TfrmMain& window = *FWindow;
        if (Button("btnGatherData")->text() != "Gather Data")
            Violation(when + ": caption " + Button("btnGatherData")->text().toStdString());
        for (QPushButton* button : window.findChildren<QPushButton*>())
            if (!button->isEnabled())
                Violation(when + ": " + button->objectName().toStdString() + " left off");
        if (!window.findChild<QTableView*>("lvwItems")->horizontalHeader()->sectionsClickable())
            Violation(when + ": sorting left off");
    }

    void CheckAfterStop()
    {
        const std::string when = "after a stop at " + FPhaseAtFire;
        CheckIdle(when);
        if (FConnectsAfterStop > 0)
            Violation(when + ": " + std::to_string(FConnectsAfterStop) + " connection(s) after the stop");
        // Cells are written in order and nothing after the stop: the written ones are a
        // beginning of the run's order, each with its right count.
        bool untouchedSeen = false;
        std::size_t index = 0;
        for (int row = 0; row < FWindow->Keywords().CountRows(); ++row)
            for (int cell : {KeywordRow::Google, KeywordRow::Yahoo, KeywordRow::Msn}) {
                const std::string& text = FWindow->Keywords().CellText(row, cell);
                if (text == "-") {
                    untouchedSeen = true;
                } else if (text != FTruth[index]) {
                    Violation(when + ": cell " + std::to_string(row) + "/" + std::to_string(cell) + " holds '" + text +
                              "' instead of '" + FTruth[index] + "'");
                } else if (untouchedSeen) {
                    Violation(when + ": a cell written after one left out");
                }
                ++index;
            }
    }

    void CheckVerification(const std::string& when)
    {
        CheckIdle(when);
        std::size_t index = 0;
        for (int row = 0; row < FWindow->Keywords().CountRows(); ++row)
            for (int cell : {KeywordRow::Google, KeywordRow::Yahoo, KeywordRow::Msn}) {
                const std::string& text = FWindow->Keywords().CellText(row, cell);
                if (text == "-" || text.empty() || (!FTruth.empty() && text != FTruth[index]))
                    Violation(when + ": cell " + std::to_string(row) + "/" + std::to_string(cell) + " reads '" + text +
                              "'");
                ++index;
            }
        if (FWindow->findChild<QLabel*>("MainStatusPanel")->text() != "Process completed sucessfull!")
            Violation(when + ": status " + FWindow->findChild<QLabel*>("MainStatusPanel")->text().toStdString());
        ++FVerifiedRuns;
    }

    void CheckClosed()
    {
        QApplication::processEvents();
        if (FWindow->isVisible())
            Violation("the window stayed after a close at " + FPhaseAtFire);
        if (FConnectsAfterStop > 0)
            Violation("a connection after a close at " + FPhaseAtFire);
        ++FCloses;
        FWindow.reset();
    }

    // A connect that gets no answer, stopped while it waits (its waits pump).
    void UnansweredConnect()
    {
        WindowSetup setup = FSetup;
        setup.Engines[0] = Unanswered;
        FWindow.reset();
        std::ofstream(Settings()) << "[Services]\nGoogleURL=" << Root(Unanswered) << "\nLanes=0\n";
        FWindow = std::make_unique<TfrmMain>();
        FWindow->show();
        FSetup = setup;
        Instrument();
        FWindow->Keywords().AppendRow(1, "soak", "");
        FTrigger = Trigger::Pump;
        // A pump well inside the connect wait.
        FPumpPhase = "";
        FTriggerCount = 5 + static_cast<int>(FRandom() % 20);
        FClicks = 1 + static_cast<int>(FRandom() % 3);
        FClose = false;
        ArmedGatherData();
        if (FStopFired) {
            ++FStops[FPhaseAtFire];
            CheckIdle("after a stop at " + FPhaseAtFire);
            if (FConnectsAfterStop > 0)
                Violation("a connection after a stop while connecting");
        } else {
            Violation("an unanswered connect ended without a stop");
        }
        FWindow.reset();
    }

    void Watch()
    {
        long long last = -1;
        auto since = Clock::now();
        while (!FDone) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (FProgress != last) {
                last = FProgress;
                since = Clock::now();
            } else if (Clock::now() - since > std::chrono::seconds(120)) {
                std::fprintf(stderr, "VIOLATION: no progress for 120 s (phase: %s)\n", FPhaseAtFire.c_str());
                std::abort();
            }
        }
    }

    void Report(double seconds)
    {
        long long requests = 0;
        for (const std::string& log : FLogs) {
            std::ifstream in(log);
            std::string line;
            while (std::getline(in, line))
                requests += line.rfind("GET ", 0) == 0 ? 1 : 0;
        }
        std::printf("fetches (connections)            %lld, requests the simulators received %lld, %.0f s\n",
                    FConnects.load(), requests, seconds);
        long long stops = 0;
        for (const auto& [phase, count] : FStops)
            stops += count;
        std::printf("runs stopped                     %lld (window closed in %d of them), runs the stop missed %d\n",
                    stops, FCloses, FUnstoppedRuns);
        std::printf("runs checked to gather everything %d\n", FVerifiedRuns);
        std::printf("Stop clicks per stop             1: %d, 2: %d, 3: %d\n", FClickCounts[1], FClickCounts[2],
                    FClickCounts[3]);
        std::printf("stops by where they landed:\n");
        for (const auto& [phase, count] : FStops)
            std::printf("  %6d  %s\n", count, phase.c_str());
        std::printf("violations                       %zu\n", FViolations.size());
    }

    const int FTarget;
    std::mt19937 FRandom;
    std::vector<std::unique_ptr<SimulatorProcess>> FSimulators;
    std::vector<std::string> FLogs;
    UnansweredPort FUnanswered;
    std::unique_ptr<TfrmMain> FWindow;
    std::unique_ptr<QTimer> FPump;
    WindowSetup FSetup{};
    std::vector<std::string> FTruth;

    Trigger FTrigger = Trigger::Pump;
    int FTriggerCount = 0;
    int FSeen = 0;
    int FClicks = 1;
    bool FClose = false;
    bool FInRun = false;
    bool FArmedRun = false; // a run the soak stops
    bool FExpectSearchDialog = false;
    bool FExpectCloseQuestion = false;
    bool FStopFired = false;
    bool FStopHandled = false;
    bool FConnecting = false;
    bool FBodyStarted = false;
    const char* FPumpPhase = "";
    int FConnectsAfterStop = 0;
    std::string FPhaseAtFire;

    std::atomic<long long> FConnects{0};
    std::atomic<long long> FProgress{0};
    std::atomic<bool> FDone{false};
    std::map<std::string, int> FStops;
    int FClickCounts[4] = {};
    int FCloses = 0;
    int FUnstoppedRuns = 0;
    int FVerifiedRuns = 0;
    std::vector<std::string> FViolations;
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int fetches = argc > 1 ? std::atoi(argv[1]) : 10000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 12;
    TalviraApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ApplyDefaultSkin(application);
    std::vector<std::string> errors;
    application.SetErrorReporter([&](const std::string& message) { errors.push_back(message); });
    int status = Soak(fetches, seed).Run();
    if (!errors.empty()) {
        std::printf("errors shown in the error box    %zu, first: %s\n", errors.size(), errors.front().c_str());
        status = 1;
    }
    std::printf("seed %u\n", seed);
    return status;
}
