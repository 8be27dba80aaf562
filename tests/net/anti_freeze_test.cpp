#include "net/anti_freeze.h"
#include "net/connection.h"
#include "net/errors.h"
#include "net/socket_layer.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// The program's message queue as a test sees it: it counts the pumps and runs a
// handler in them, as a click handled during a wait would run.
class TestMessages : public MessageQueue {
public:
    bool MessageWaiting() override { return waiting; }
    void ProcessMessages() override
    {
        ++processAll;
        Handle();
    }
    void HandleMessage() override
    {
        ++handleOne;
        Handle();
    }

    int Pumps() const { return processAll + handleOne; }

    bool waiting = true;
    int processAll = 0;
    int handleOne = 0;
    std::function<void(int pump)> handler;

private:
    void Handle()
    {
        if (handler)
            handler(Pumps());
    }
};

void Open(TIdTCPClient& client, int port, int32_t timeout = -1)
{
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    client.OpenConnection(timeout);
}

} // namespace

TEST(SlicedWaitPasses, CutsALimitIntoIdleSlicesWithTheRemainderFirst)
{
    const struct {
        int32_t timeout;
        int32_t idle;
        std::vector<int32_t> passes;
    } cases[] = {
        {1000, 250, {250, 250, 250, 250}},
        {1100, 250, {100, 250, 250, 250, 250}},
        {251, 250, {1, 250}},
        {250, 250, {250}},
        {100, 250, {100}},
        {0, 250, {0}},
        {45, 10, {5, 10, 10, 10, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SlicedWaitPasses(c.timeout, c.idle), c.passes) << c.timeout << " / " << c.idle;
}

TEST(AntiFreeze, InUseOnlyOnTheMainThreadWhileActive)
{
    EXPECT_FALSE(TIdAntiFreezeBase::AntiFreezeInUse());
    TestMessages messages;
    {
        TIdAntiFreeze antiFreeze(messages);
        EXPECT_EQ(CurrentAntiFreeze(), &antiFreeze);
        EXPECT_TRUE(TIdAntiFreezeBase::AntiFreezeInUse());

        bool inUseElsewhere = true;
        std::thread other([&] { inUseElsewhere = TIdAntiFreezeBase::AntiFreezeInUse(); });
        other.join();
        EXPECT_FALSE(inUseElsewhere);

        antiFreeze.Active = false;
        EXPECT_FALSE(TIdAntiFreezeBase::AntiFreezeInUse());
    }
    EXPECT_EQ(CurrentAntiFreeze(), nullptr);
}

TEST(AntiFreeze, TheLastCreatedIsCurrentAndDestroyingAnyLeavesNone)
{
    TestMessages messages;
    auto first = std::make_unique<TIdAntiFreeze>(messages);
    TIdAntiFreeze second(messages);
    EXPECT_EQ(CurrentAntiFreeze(), &second);
    first.reset();
    EXPECT_EQ(CurrentAntiFreeze(), nullptr);
}

TEST(AntiFreeze, YieldPumpsWhenIdleOrAskedTo)
{
    const struct {
        bool onlyWhenIdle;
        bool idle;
        bool force;
        bool pumps;
    } cases[] = {
        {true, true, false, true},  {true, false, false, false}, {true, false, true, true},
        {false, false, false, true}, {false, true, false, true},
    };
    for (const auto& c : cases) {
        TestMessages messages;
        TIdAntiFreeze antiFreeze(messages);
        antiFreeze.OnlyWhenIdle = c.onlyWhenIdle;
        TIdAntiFreezeBase::YieldToUI(c.idle, c.force);
        EXPECT_EQ(messages.Pumps(), c.pumps ? 1 : 0)
            << "onlyWhenIdle " << c.onlyWhenIdle << " idle " << c.idle << " force " << c.force;
    }
}

TEST(AntiFreeze, WithoutPriorityOneWaitingMessageIsHandled)
{
    TestMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.ApplicationHasPriority = false;
    TIdAntiFreezeBase::YieldToUI();
    messages.waiting = false;
    TIdAntiFreezeBase::YieldToUI();
    EXPECT_EQ(messages.handleOne, 1);
    EXPECT_EQ(messages.processAll, 0);

    antiFreeze.ApplicationHasPriority = true;
    TIdAntiFreezeBase::YieldToUI();
    EXPECT_EQ(messages.processAll, 1);
}

// A wait that finds data at once pumps only when OnlyWhenIdle is off.
TEST(ReadWait, PumpsWhenASliceFoundNoData)
{
    for (bool onlyWhenIdle : {true, false}) {
        ScriptedServer server({{ScriptStep::Send("ready\n"), ScriptStep::Hold("end")}});
        TIdTCPClient client;
        Open(client, server.Port());
        ASSERT_TRUE(server.WaitUntilHolding("end"));
        TestMessages messages;
        TIdAntiFreeze antiFreeze(messages);
        antiFreeze.OnlyWhenIdle = onlyWhenIdle;

        EXPECT_EQ(client.ReadLine(), "ready");
        EXPECT_EQ(messages.Pumps(), onlyWhenIdle ? 0 : 1) << "onlyWhenIdle " << onlyWhenIdle;
        server.Release("end");
    }
}

// A read with a limit and no data makes exactly the passes of its schedule, each
// followed by a pump.
TEST(ReadWait, ALimitedWaitPumpsAfterEveryPass)
{
    ScriptedServer server({{ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server.Port());
    TestMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 10;
    client.ReadTimeout = 45;

    EXPECT_THROW(client.ReadLine(), EIdReadTimeout);
    EXPECT_EQ(messages.Pumps(), static_cast<int>(SlicedWaitPasses(45, 10).size()));
    server.Release("end");
}

TEST(ReadWait, NothingIsPumpedOffTheMainThread)
{
    ScriptedServer server({{ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server.Port());
    TestMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 5;
    client.ReadTimeout = 30;

    bool timedOut = false;
    std::thread reader([&] {
        try {
            client.ReadLine();
        } catch (const EIdReadTimeout&) {
            timedOut = true;
        }
    });
    reader.join();
    EXPECT_TRUE(timedOut);
    EXPECT_EQ(messages.Pumps(), 0);
    server.Release("end");
}

// A click handled in a pump closes the connection while a read waits for bytes: the
// next pass finds the socket released, and later operations find no transport.
TEST(ReadWait, ACloseFromAPumpEndsTheWaitWithClosedGracefully)
{
    ScriptedServer server({{ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server.Port());
    TestMessages messages;
    messages.handler = [&](int) { client.CloseConnection(); };
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 5;

    try {
        client.ReadLine();
        FAIL();
    } catch (const EIdConnClosedGracefully& error) {
        EXPECT_STREQ(error.what(), "Connection Closed Gracefully.");
    }
    EXPECT_EQ(messages.Pumps(), 1);
    EXPECT_EQ(client.IOHandler(), nullptr);
    EXPECT_THROW(client.ReadLine(), EIdNotConnected);
    EXPECT_THROW(client.WriteLine("x"), EIdNotConnected);
    server.Release("end");
}

struct BodyWaitCase {
    const char* name;
    bool untilClosed;
    bool raises;
};

class BodyWait : public testing::TestWithParam<BodyWaitCase> {};

// The body bytes that arrived before the close: a counted read raises, a read until the
// peer closes ends normally with them.
TEST_P(BodyWait, ACloseFromAPumpWhileWaitingForBodyBytes)
{
    const BodyWaitCase& c = GetParam();
    ScriptedServer server({{ScriptStep::Send("HEAD\n0123456789"), ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server.Port());
    ASSERT_TRUE(server.WaitUntilHolding("end"));
    EXPECT_EQ(client.ReadLine(), "HEAD");
    TestMessages messages;
    messages.handler = [&](int) { client.CloseConnection(); };
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 5;
    MemoryStream stream;

    bool raised = false;
    try {
        client.ReadToStream(stream, c.untilClosed ? -1 : 100, c.untilClosed);
    } catch (const EIdConnClosedGracefully&) {
        raised = true;
    }
    EXPECT_EQ(raised, c.raises);
    EXPECT_EQ(stream.Data(), "0123456789");
    server.Release("end");
}

INSTANTIATE_TEST_SUITE_P(ReadWait, BodyWait,
                         testing::Values(BodyWaitCase{"Counted", false, true}, BodyWaitCase{"UntilClosed", true, false}),
                         [](const testing::TestParamInfo<BodyWaitCase>& info) { return info.param.name; });

TEST(ConnectWait, ALoopbackConnectThroughTheWorker)
{
    ScriptedServer server({{ScriptStep::Send("hello\n"), ScriptStep::Hold("end")}});
    TestMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    TIdTCPClient client;
    Open(client, server.Port());

    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.SocketHandler()->SocketHandle()->PeerPort(), server.Port());
    EXPECT_EQ(client.ReadLine(), "hello");
    server.Release("end");
}

TEST(ConnectWait, ARefusedConnectRaisesTheWorkersMessage)
{
    for (bool antiFreezeActive : {true, false}) {
        TestMessages messages;
        TIdAntiFreeze antiFreeze(messages);
        antiFreeze.Active = antiFreezeActive;
        TIdTCPClient client;
        // With the anti-freeze the connect runs on the worker without a limit of its own;
        // without it, a limit sends it there.
        try {
            Open(client, RefusingPort(), antiFreezeActive ? -1 : 5000);
            FAIL();
        } catch (const EIdConnectException& error) {
            EXPECT_STREQ(error.what(), "Socket Error # 10061\r\nConnection refused.");
        }
    }
}

TEST(ConnectWait, AConnectWithoutAnswerTimesOut)
{
    UnansweredPort unanswered;
    TestMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 10;
    TIdTCPClient client;

    try {
        Open(client, unanswered.Port(), 45);
        FAIL();
    } catch (const EIdConnectTimeout& error) {
        EXPECT_STREQ(error.what(), "Connect timed out.");
    }
    // Slices of 10 ms while 45 ms are left: four, each followed by a pump.
    EXPECT_EQ(messages.Pumps(), 4);
    ASSERT_NE(client.IOHandler(), nullptr);
    EXPECT_FALSE(client.IOHandler()->SocketOpen()) << "the socket is closed before the error is raised";
}

// A click handled between connect slices closes the connection: the abandoned connect
// stays silent, the open completes, and the first write finds no connection.
TEST(ConnectWait, ACloseFromAPumpAbandonsTheConnect)
{
    UnansweredPort unanswered;
    TestMessages messages;
    TIdTCPClient client;
    messages.handler = [&](int) { client.CloseConnection(); };
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 5;
    std::vector<std::string> statuses;
    client.OnStatus = [&](TIdComponent&, TIdStatus, const std::string& text) { statuses.push_back(text); };

    Open(client, unanswered.Port());

    EXPECT_GE(messages.Pumps(), 1);
    EXPECT_EQ(client.IOHandler(), nullptr);
    EXPECT_EQ(statuses.back(), "Connected.");
    try {
        client.WriteLine("GET / HTTP/1.1");
        FAIL();
    } catch (const EIdNotConnected& error) {
        EXPECT_STREQ(error.what(), "Not Connected");
    }
}
