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

// Whatever the waits find, the pump runs once the last one is a slice old: a peer that
// keeps bytes coming cannot keep the window from being pumped.
TEST(AntiFreeze, PumpsWhenTheLastPumpIsASliceOld)
{
    TestMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    int64_t now = 1000;
    antiFreeze.SetClock([&] { return now; });

    now = 1249;
    TIdAntiFreezeBase::YieldToUI(false);
    EXPECT_EQ(antiFreeze.MillisecondsUntilPumpDue(), 1);
    EXPECT_EQ(messages.Pumps(), 0);
    now = 1250;
    EXPECT_EQ(antiFreeze.MillisecondsUntilPumpDue(), 0);
    TIdAntiFreezeBase::YieldToUI(false);
    EXPECT_EQ(messages.Pumps(), 1);
    // The pump starts the next slice.
    EXPECT_EQ(antiFreeze.MillisecondsUntilPumpDue(), 250);
    now = 1499;
    TIdAntiFreezeBase::YieldToUI(false);
    EXPECT_EQ(messages.Pumps(), 1);
    now = 1500;
    TIdAntiFreezeBase::YieldToUI(false);
    EXPECT_EQ(messages.Pumps(), 2);
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
        // A standing clock: no pump falls due while the test runs, however slowly.
        antiFreeze.SetClock([] { return int64_t{0}; });

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
    antiFreeze.SetClock([] { return int64_t{0}; });
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

// A loopback connect ends at once and needs no worker; with TryConnectAtOnce off it goes
// through the worker all the same, so both of the worker's endings are run.
TEST(ConnectWait, ALoopbackConnectThroughTheWorker)
{
    for (bool atOnce : {true, false}) {
        ScriptedServer server({{ScriptStep::Send("hello\n"), ScriptStep::Hold("end")}});
        TestMessages messages;
        TIdAntiFreeze antiFreeze(messages);
        TIdTCPClient client;
        auto transport = std::make_shared<TIdIOHandlerSocket>();
        transport->TryConnectAtOnce = atOnce;
        client.SetIOHandler(transport);
        Open(client, server.Port());

        EXPECT_EQ(transport->LastConnectUsedWorker(), !atOnce);
        EXPECT_TRUE(client.IsConnected());
        EXPECT_EQ(transport->SocketHandle()->PeerPort(), server.Port());
        EXPECT_EQ(client.ReadLine(), "hello");
        server.Release("end");
    }
}

TEST(ConnectWait, ARefusedConnectRaisesTheWorkersMessage)
{
    for (bool antiFreezeActive : {true, false}) {
        for (bool atOnce : {true, false}) {
            TestMessages messages;
            TIdAntiFreeze antiFreeze(messages);
            antiFreeze.Active = antiFreezeActive;
            TIdTCPClient client;
            auto transport = std::make_shared<TIdIOHandlerSocket>();
            transport->TryConnectAtOnce = atOnce;
            client.SetIOHandler(transport);
            // With the anti-freeze the connect runs on the worker without a limit of its
            // own; without it, a limit sends it there.
            try {
                Open(client, RefusingPort(), antiFreezeActive ? -1 : 5000);
                FAIL();
            } catch (const EIdConnectException& error) {
                EXPECT_STREQ(error.what(), "Socket Error # 10061\r\nConnection refused.");
            }
            EXPECT_EQ(transport->LastConnectUsedWorker(), !atOnce);
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

// --- Writes ---------------------------------------------------------------------------------------

namespace {

// A peer that never takes another byte: every wait for room to send expires.
class StalledTransport : public TIdIOHandler {
public:
    bool SocketOpen() override { return open; }
    void ShutSocket() override { open = false; }
    bool WaitReadable(int32_t) override { return false; }
    bool WaitWritable(int32_t) override { return false; }
    int32_t ReceiveSome(void*, int32_t) override { return 0; }
    int32_t SendSome(const void*, int32_t length) override { return length; }

    bool open = true;
};

} // namespace

// A send that cannot go on pumps the window like a read that waits, and a close from a
// pump (the Stop button) ends it.
TEST(WriteWait, AStalledSendPumpsAndACloseFromAPumpEndsIt)
{
    TIdTCPConnection connection;
    auto transport = std::make_shared<StalledTransport>();
    connection.SetIOHandler(transport);
    TestMessages messages;
    messages.handler = [&](int pump) {
        if (pump == 3)
            connection.CloseConnection();
    };
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 1;

    try {
        connection.WriteLine("GET / HTTP/1.1");
        FAIL() << "the send went through";
    } catch (const EIdNotConnected& error) {
        EXPECT_STREQ(error.what(), "Not Connected");
    }
    EXPECT_EQ(messages.Pumps(), 3);
}

namespace {

// What a lane's check throws when its run is stopped.
struct Interrupted {};

// A worker thread's waits with an interruption installed: the only way out of a wait
// without limit is the check, run between passes.
TEST(WaitInterruption, EndsAReadWithoutLimitOffTheMainThread)
{
    ScriptedServer server({{ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server.Port());
    int checks = 0;
    bool interrupted = false;
    std::thread lane([&] {
        const WaitInterruption interruption([&] {
            if (++checks == 3)
                throw Interrupted();
        });
        try {
            client.ReadLine();
        } catch (const Interrupted&) {
            interrupted = true;
        }
    });
    lane.join();
    EXPECT_TRUE(interrupted);
    EXPECT_EQ(checks, 3);
    EXPECT_FALSE(WaitInterruption::Installed()) << "installed on the lane's thread only";
    server.Release("end");
}

TEST(WaitInterruption, ALimitedReadKeepsItsLengthAndIsCheckedBetweenPasses)
{
    ScriptedServer server({{ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server.Port());
    client.ReadTimeout = 2 * WaitInterruptionSlice + 20;
    int checks = 0;
    bool timedOut = false;
    std::thread lane([&] {
        const WaitInterruption interruption([&] { ++checks; });
        try {
            client.ReadLine();
        } catch (const EIdReadTimeout&) {
            timedOut = true;
        }
    });
    lane.join();
    EXPECT_TRUE(timedOut);
    EXPECT_EQ(checks, 3); // after each of the passes of 50, 50 and 20 ms
    server.Release("end");
}

TEST(WaitInterruption, EndsAConnectThatGetsNoAnswer)
{
    UnansweredPort unanswered;
    TIdTCPClient client;
    bool interrupted = false;
    std::thread lane([&] {
        const WaitInterruption interruption([] { throw Interrupted(); });
        try {
            Open(client, unanswered.Port());
        } catch (const Interrupted&) {
            interrupted = true;
        }
    });
    lane.join();
    EXPECT_TRUE(interrupted);
}

} // namespace
