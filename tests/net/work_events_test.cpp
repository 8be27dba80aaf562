#include "net/component.h"
#include "net/socket_layer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every event of a component as one line of text, in order.
struct EventLog {
    explicit EventLog(TIdComponent& component)
    {
        component.OnWorkBegin = [this](TIdComponent&, TWorkMode mode, int32_t max) {
            lines.push_back("begin " + std::to_string(mode) + " " + std::to_string(max));
        };
        component.OnWork = [this](TIdComponent&, TWorkMode mode, int32_t count) {
            lines.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
        };
        component.OnWorkEnd = [this](TIdComponent&, TWorkMode mode) { lines.push_back("end " + std::to_string(mode)); };
        component.OnStatus = [this](TIdComponent&, TIdStatus status, const std::string& text) {
            lines.push_back("status " + std::to_string(status) + " " + text);
        };
    }
    std::vector<std::string> lines;
};

} // namespace

TEST(WorkEvents, NestedPhasesReportOnlyTheOutermostBeginAndEnd)
{
    TIdComponent component;
    EventLog log(component);
    component.StartWork(wmRead, 100);
    component.AddWork(wmRead, 10);
    component.StartWork(wmRead, 5);
    component.AddWork(wmRead, 5);
    component.FinishWork(wmRead);
    component.AddWork(wmRead, 1);
    component.FinishWork(wmRead);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"begin 0 100", "work 0 10", "work 0 15", "work 0 16", "end 0"}));
    EXPECT_EQ(component.Tally(wmRead).Depth, 0);
    EXPECT_EQ(component.Tally(wmRead).Expected, 100);
}

TEST(WorkEvents, WorkOutsideAPhaseOfItsModeRaisesNothing)
{
    TIdComponent component;
    EventLog log(component);
    component.AddWork(wmRead, 10);
    component.StartWork(wmWrite, 3);
    component.AddWork(wmRead, 10);
    component.AddWork(wmWrite, 3);
    component.FinishWork(wmWrite);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"begin 1 3", "work 1 3", "end 1"}));
    EXPECT_EQ(component.Tally(wmRead).Done, 0);
}

TEST(WorkEvents, ANewPhaseStartsTheTotalAgain)
{
    TIdComponent component;
    EventLog log(component);
    for (int phase = 0; phase < 2; ++phase) {
        component.StartWork(wmRead);
        component.AddWork(wmRead, 7);
        component.FinishWork(wmRead);
    }
    EXPECT_EQ(log.lines, (std::vector<std::string>{"begin 0 0", "work 0 7", "end 0", "begin 0 0", "work 0 7", "end 0"}));
}

TEST(StatusEvents, TextsAreFormattedFromTheArguments)
{
    TIdComponent component;
    EventLog log(component);
    component.ReportStatus(hsResolving, {"example.com"});
    component.ReportStatus(hsConnecting, {"127.0.0.1"});
    component.ReportStatus(hsConnected, {"example.com"});
    component.ReportStatus(hsDisconnecting);
    component.ReportStatus(hsDisconnected);
    component.ReportStatus(hsStatusText, {"Chunk Started"});
    component.ReportStatus(hsResolving);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "status 0 Resolving hostname example.com.",
                             "status 1 Connecting to 127.0.0.1.",
                             "status 2 Connected.",
                             "status 3 Disconnecting.",
                             "status 4 Disconnected.",
                             "status 5 Chunk Started",
                             "status 0 Resolving hostname .",
                         }));
}

TEST(WorkEvents, EventsWithoutHandlersAreSkipped)
{
    TIdComponent component;
    component.ReportStatus(hsConnected);
    component.StartWork(wmRead, 1);
    component.AddWork(wmRead, 1);
    component.FinishWork(wmRead);
    EXPECT_EQ(component.Tally(wmRead).Done, 1);
}

TEST(SocketLayerLifetime, EveryComponentIsAUserOfTheOneStack)
{
    const int before = TIdStack::StackUsers();
    {
        TIdComponent first;
        TIdComponent second;
        EXPECT_EQ(TIdStack::StackUsers(), before + 2);
        EXPECT_NE(TIdStack::StackInstance(), nullptr);
    }
    EXPECT_EQ(TIdStack::StackUsers(), before);
    if (before == 0) {
        EXPECT_EQ(TIdStack::StackInstance(), nullptr);
    }
}
