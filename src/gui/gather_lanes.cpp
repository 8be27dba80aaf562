// Gather Data's run as the window drives it: the question whether to continue the last
// run, and the engines asked side by side (or one after another with "Lanes=0"), with
// the window as the lanes' host.
#include "gui/main_window.h"

#include "core/count_engine.h"
#include "core/keyword_entry.h"
#include "core/lane_client.h"
#include "core/search_lanes.h"
#include "gui/dialogs/message_dialog.h"
#include "gui/dialogs/select_search_dialog.h"
#include "gui/keyword_table_model.h"
#include "net/cookies.h"

#include <algorithm>
#include <map>

namespace {

// The window as the host of a side-by-side run.
class WindowLanesHost : public LanesHost {
public:
    WindowLanesHost(QWidget& window, FetchDisplay& display, bool& stopRequested, std::function<void()>& stopListener,
                    KeywordList& list, GatherRecord& record, KeywordTableModel& model, TIdCookieManager* cookies,
                    std::string caFile, ProxyRotation* proxies, std::function<void(int row, int rows)> showPosition)
        : FWindow(window), FDisplay(display), FStopRequested(stopRequested), FStopListener(stopListener), FList(list),
          FRecord(record), FModel(model), FCookies(cookies), FCAFile(std::move(caFile)), FProxies(proxies),
          FShowPosition(std::move(showPosition))
    {
    }

    std::unique_ptr<LaneFetcher> MakeLaneFetcher(const CountEngine& engine) override
    {
        return std::make_unique<ClientLaneFetcher>(FCookies, FCAFile, FProxies,
                                                   engine.Cell - KeywordRow::FirstEngineCell);
    }
    bool StopRequested() const override { return FStopRequested; }
    void SetStopListener(std::function<void()> stop) override { FStopListener = std::move(stop); }
    void RequestStop() override { FStopRequested = true; }
    void PumpMessages() override { FDisplay.PumpMessages(); }
    void ShowRunStatus(const std::string& text) override { FDisplay.ShowMainStatus(text); }
    void ShowAnswered(int answered, int requests) override
    {
        FDisplay.SetGaugeMaxValue(requests);
        FDisplay.SetGaugeProgress(answered);
    }
    RefusalChoice AskRefused(const std::string& reason, const std::string& engineName) override
    {
        // A name from a profile may hold "&", which a button would take for a shortcut mark.
        const QString skip = QString::fromUtf8("Skip " + engineName).replace('&', "&&");
        const int choice = MessageDialog::Choose(&FWindow, reason, {"Retry", skip, "Stop"});
        return choice == 0 ? RefusalChoice::Retry : choice == 1 ? RefusalChoice::Skip : RefusalChoice::Stop;
    }
    void CellAsked(int row, const CountEngine& engine, CellState state, const std::string& reason) override
    {
        FRecord.SetCell(FList, row, engine.Cell, state, reason);
        FModel.CellStateChanged(row, engine.Cell + 1);
        // The run stands where its slowest lane stands.
        FLaneRows[engine.Cell] = row;
        int slowest = row;
        for (const auto& [cell, laneRow] : FLaneRows)
            slowest = std::min(slowest, laneRow);
        FShowPosition(slowest, FList.CountRows());
    }

private:
    QWidget& FWindow;
    FetchDisplay& FDisplay;
    bool& FStopRequested;
    std::function<void()>& FStopListener;
    KeywordList& FList;
    GatherRecord& FRecord;
    KeywordTableModel& FModel;
    TIdCookieManager* FCookies;
    std::string FCAFile;
    ProxyRotation* FProxies;
    std::function<void(int row, int rows)> FShowPosition;
    std::map<int, int> FLaneRows; // the row each lane answered last, by its cell
};

} // namespace

TfrmMain::RunStart TfrmMain::ChooseRunStart(const std::vector<CountEngine>& engines)
{
    if (FServices.SideBySide && FGatherRecord.CanContinue(FKeywords, engines)) {
        const int choice = MessageDialog::Choose(this, "Continue where the last run ended, or start again from row 1?",
                                                 {"Continue", "Start Again", "Cancel"});
        if (choice != 0 && choice != 1)
            return RunStart::Cancel;
        if (choice == 0) {
            if (FGatherRecord.SameRequests(engines))
                return RunStart::Continue;
            ShowMessageDialog("The search mode or the search engines changed since the last run, so it cannot be "
                              "continued. Gather Data starts again from row 1.",
                              MessageButtons::Ok);
        }
    }
    TfrmSelSearch dialog(this);
    if (dialog.exec() != mrOk)
        return RunStart::Cancel;
    FSearchMode = SearchModeFromTicks(dialog.PreciseTicked());
    return RunStart::StartAgain;
}

void TfrmMain::GatherCounts(const std::vector<CountEngine>& engines, RunStart start)
{
    if (!FServices.SideBySide) {
        GatherSearchCounts(FKeywords, *this, FProfile.Engines, FSearchMode);
        return;
    }
    // The lanes and the window's own client keep one cookie store, so a cookie an engine
    // sets goes back to it whichever client asks next.
    if (!IdHTTP1.CookieManager()) {
        FSharedCookies = std::make_unique<TIdCookieManager>();
        IdHTTP1.SetCookieManager(FSharedCookies.get());
    }
    LanePlan plan;
    if (start == RunStart::Continue) {
        FSearchMode = FGatherRecord.SearchMode();
        plan = FGatherRecord.ContinuePlan(FKeywords, engines);
        FGatherRecord.ContinueRun();
    } else {
        FGatherRecord.StartRun(engines, FSearchMode);
        plan = FullPlan(FKeywords.CountRows(), static_cast<int>(engines.size()));
    }
    FModel->CellStatesReset();
    WindowLanesHost host(*this, *this, FStopRequested, FLanesStop, FKeywords, FGatherRecord, *FModel,
                         IdHTTP1.CookieManager(), FServices.CAFile, FProxies.get(),
                         [this](int row, int rows) { ShowRunPosition(row, rows); });
    bool complete = false;
    try {
        complete = GatherSearchCountsInLanes(FKeywords, host, engines, plan, FSearchMode);
    } catch (...) {
        FGatherRecord.EndRun(false);
        throw;
    }
    FGatherRecord.EndRun(complete);
}
