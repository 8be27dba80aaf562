// The lanes with their real clients on loopback: three lanes' connections, reads and the
// shared cookie store at once (so that ThreadSanitizer sees the network layer from several
// threads), and a Stop that ends reads under way in every lane.
#include "core/lane_client.h"
#include "core/search_lanes.h"
#include "net/cookies.h"
#include "net/uri.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>

namespace {

std::vector<CountEngine> LoopbackEngines(int port)
{
    std::vector<CountEngine> engines;
    const char* names[] = {"Google", "Yahoo", "MSN"};
    for (int index = 0; index < 3; ++index) {
        CountEngine engine;
        engine.Name = names[index];
        engine.Cell = KeywordRow::Google + index;
        engine.RequestURL = [port, index](const std::string& keyword, int) {
            return "http://127.0.0.1:" + std::to_string(port) + "/e" + std::to_string(index) + "?q=" + keyword;
        };
        engine.ReadCount = [](const std::string& page) {
            const size_t start = page.find("<b>");
            return start == std::string::npos ? std::string() : page.substr(start + 3, page.find("</b>") - start - 3);
        };
        engines.push_back(std::move(engine));
    }
    return engines;
}

class ClientHost : public LanesHost {
public:
    TIdCookieManager Cookies;
    bool Stop = false;
    std::function<bool()> StopWhen;

    std::unique_ptr<LaneFetcher> MakeLaneFetcher(const CountEngine&) override
    {
        return std::make_unique<ClientLaneFetcher>(&Cookies, "");
    }
    bool StopRequested() const override { return Stop; }
    void SetStopListener(std::function<void()>) override {}
    void RequestStop() override { Stop = true; }
    void PumpMessages() override
    {
        if (StopWhen && StopWhen())
            Stop = true;
    }
    void ShowRunStatus(const std::string&) override {}
    void ShowAnswered(int, int) override {}
    RefusalChoice AskRefused(const std::string&, const std::string&) override { return RefusalChoice::Stop; }
    void CellAsked(int, const CountEngine&, CellState, const std::string&) override {}
};

const std::string CountPage =
    "HTTP/1.1 200 OK\r\nSet-Cookie: visit=1; path=/\r\nContent-Length: 14\r\n\r\n<p><b>7</b></p";

std::string RequestLine(const std::string& received)
{
    return received.substr(0, received.find("\r\n"));
}

TEST(LaneClients, EveryLaneAsksItsRowsOverItsOwnConnections)
{
    std::vector<Script> scripts(6, {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(CountPage), ScriptStep::Close()});
    ScriptedServer server(scripts);
    KeywordList list;
    list.AppendRow(1, "a", "");
    list.AppendRow(2, "b", "");
    ClientHost host;
    EXPECT_TRUE(GatherSearchCountsInLanes(list, host, LoopbackEngines(server.Port()), FullPlan(2, 3), 0));
    ASSERT_TRUE(server.Finish());

    for (int row = 0; row < 2; ++row)
        for (int cell = KeywordRow::Google; cell <= KeywordRow::Msn; ++cell)
            EXPECT_EQ(list.CellText(row, cell), "7");
    std::multiset<std::string> lines;
    for (size_t i = 0; i < server.ConnectionCount(); ++i)
        lines.insert(RequestLine(server.Received(i)));
    const std::multiset<std::string> expected = {"GET /e0?q=a HTTP/1.1", "GET /e0?q=b HTTP/1.1", "GET /e1?q=a HTTP/1.1",
                                                 "GET /e1?q=b HTTP/1.1", "GET /e2?q=a HTTP/1.1", "GET /e2?q=b HTTP/1.1"};
    EXPECT_EQ(lines, expected);
    // The lanes keep their cookies in the store they were given, and send them back.
    EXPECT_EQ(host.Cookies.BuildCookieHeader(TIdURI("http://127.0.0.1:" + std::to_string(server.Port()) + "/e0"), false),
              "visit=1");
    EXPECT_NE(server.Received(server.ConnectionCount() - 1).find("Cookie: visit=1"), std::string::npos);
}

TEST(LaneClients, StopEndsTheReadsUnderWayInEveryLane)
{
    // The first connection is held unanswered; the others wait to be accepted, their
    // requests sent: every lane waits in a read.
    std::vector<Script> scripts = {{ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Hold("held"), ScriptStep::Close()}};
    ScriptedServer server(scripts);
    KeywordList list;
    list.AppendRow(1, "a", "");
    ClientHost host;
    host.StopWhen = [&server] { return server.IsHolding("held"); };
    EXPECT_FALSE(GatherSearchCountsInLanes(list, host, LoopbackEngines(server.Port()), FullPlan(1, 3), 0));
    for (int cell = KeywordRow::Google; cell <= KeywordRow::Msn; ++cell)
        EXPECT_EQ(list.CellText(0, cell), "");
    server.Release("held");
    server.Finish();
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

} // namespace
