#include "net/connection.h"
#include "net/errors.h"
#include "net/socket_layer.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A client whose status and connect/disconnect notifications are written down.
struct WatchedClient {
    WatchedClient()
    {
        client.OnStatus = [this](TIdComponent&, TIdStatus, const std::string& text) { events.push_back(text); };
        client.OnConnected = [this](TIdComponent&) { events.push_back("(connected)"); };
        client.OnDisconnected = [this](TIdComponent&) { events.push_back("(disconnected)"); };
    }

    void Open(const std::string& host, int port, int32_t timeout = -1)
    {
        client.SetHost(host);
        client.SetPort(port);
        client.OpenConnection(timeout);
    }

    TIdTCPClient client;
    std::vector<std::string> events;
};

} // namespace

TEST(OpenConnection, LocalhostIsConnectedWithoutALookup)
{
    for (const char* host : {"localhost", "LocalHost", "127.0.0.1"}) {
        ScriptedServer server({Script{}});
        WatchedClient watched;
        watched.Open(host, server.Port());

        EXPECT_EQ(watched.events, (std::vector<std::string>{"Connecting to 127.0.0.1.", "Connected.", "(connected)"}))
            << host;
        EXPECT_TRUE(watched.client.IsConnected());
        EXPECT_EQ(watched.client.SocketHandler()->SocketHandle()->PeerIP(), "127.0.0.1");
        EXPECT_EQ(watched.client.SocketHandler()->SocketHandle()->PeerPort(), server.Port());
        EXPECT_EQ(watched.client.SocketHandler()->SocketHandle()->IP, "127.0.0.1");
    }
}

TEST(OpenConnection, OpeningAnOpenConnectionRaisesAlreadyConnected)
{
    ScriptedServer server({{ScriptStep::Send("still here\n"), ScriptStep::Hold("end")}});
    WatchedClient watched;
    watched.Open("127.0.0.1", server.Port());

    try {
        watched.client.OpenConnection();
        FAIL();
    } catch (const EIdAlreadyConnected& error) {
        EXPECT_STREQ(error.what(), "Already connected.");
    }
    EXPECT_EQ(watched.client.ReadLine(), "still here") << "the open connection is untouched";
    server.Release("end");
}

TEST(CloseConnection, OnAnUnopenedConnectionOnlyReports)
{
    WatchedClient watched;
    watched.client.CloseConnection();
    watched.client.CloseConnection();
    EXPECT_EQ(watched.events, (std::vector<std::string>{"Disconnecting.", "(disconnected)", "Disconnected.",
                                                        "Disconnecting.", "(disconnected)", "Disconnected."}));
    EXPECT_FALSE(watched.client.IsConnected());
}

TEST(CloseConnection, ReopeningMakesANewTransportAndEmptiesTheInputBuffer)
{
    ScriptedServer server({{ScriptStep::Send("one\nleft"), ScriptStep::Hold("first")},
                           {ScriptStep::Send("two\n"), ScriptStep::Hold("second")}});
    WatchedClient watched;
    watched.Open("127.0.0.1", server.Port());
    ASSERT_TRUE(server.WaitUntilHolding("first"));
    EXPECT_EQ(watched.client.ReadLine(), "one");
    const std::weak_ptr<TIdIOHandler> first = watched.client.IOHandler();

    watched.client.CloseConnection();
    EXPECT_EQ(watched.client.IOHandler(), nullptr);
    EXPECT_TRUE(first.expired()) << "the transport is released with the close";
    EXPECT_EQ(watched.client.InputBuffer().Size(), 4) << "closing keeps the buffered bytes";
    server.Release("first");

    watched.client.OpenConnection();
    EXPECT_NE(watched.client.IOHandler(), nullptr);
    EXPECT_EQ(watched.client.InputBuffer().Size(), 0);
    EXPECT_EQ(watched.client.ReadLine(), "two");
    server.Release("second");
}

TEST(CloseConnection, APeerCloseIsReportedOnce)
{
    ScriptedServer server({{ScriptStep::Send("last\n"), ScriptStep::Close()}});
    WatchedClient watched;
    watched.Open("127.0.0.1", server.Port());
    watched.events.clear();

    EXPECT_EQ(watched.client.ReadLine(), "last");
    EXPECT_THROW(watched.client.ReadLine(), EIdConnClosedGracefully);
    EXPECT_THROW(watched.client.ReadLine(), EIdConnClosedGracefully);
    EXPECT_FALSE(watched.client.IsConnected());
    EXPECT_EQ(watched.events, (std::vector<std::string>{"Disconnected.", "(disconnected)"}));

    watched.client.CloseConnection();
    EXPECT_EQ(watched.client.IOHandler(), nullptr);
}

TEST(PollPeerClosed, NoticesAPeerThatClosedAnIdleConnection)
{
    ScriptedServer server({{ScriptStep::Hold("idle"), ScriptStep::Close(), ScriptStep::Hold("closed")}});
    WatchedClient watched;
    watched.Open("127.0.0.1", server.Port());

    watched.client.PollPeerClosed(false);
    EXPECT_TRUE(watched.client.IsConnected()) << "an idle open connection stays open";

    server.Release("idle");
    ASSERT_TRUE(server.WaitUntilHolding("closed"));
    watched.client.PollPeerClosed(false);
    EXPECT_FALSE(watched.client.IsConnected());
    server.Release("closed");
}

TEST(ReadTimeout, AReadWithALimitRaisesReadTimeout)
{
    ScriptedServer server({{ScriptStep::Hold("end")}});
    WatchedClient watched;
    watched.Open("127.0.0.1", server.Port());
    watched.client.ReadTimeout = 20;

    try {
        watched.client.ReadLine();
        FAIL();
    } catch (const EIdReadTimeout& error) {
        EXPECT_STREQ(error.what(), "Read Timeout");
    }
    EXPECT_EQ(watched.client.ReceiveIntoBuffer(true, 1, false), -1) << "a wait that may expire silently";
    server.Release("end");
}

TEST(OpenConnection, ARefusedConnectRaisesTheSocketErrorAndLeavesTheConnectionDropped)
{
    WatchedClient watched;
    try {
        watched.Open("127.0.0.1", RefusingPort());
        FAIL();
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode, 10061);
        EXPECT_STREQ(error.what(), "Socket Error # 10061\r\nConnection refused.");
    }
    ASSERT_NE(watched.client.IOHandler(), nullptr) << "a failed open keeps its transport";
    EXPECT_FALSE(watched.client.IOHandler()->SocketOpen());
    const TIdIOHandler* transport = watched.client.IOHandler().get();

    ScriptedServer server({{ScriptStep::Send("hi\n"), ScriptStep::Hold("end")}});
    watched.client.SetPort(server.Port());
    watched.client.OpenConnection();
    EXPECT_EQ(watched.client.IOHandler().get(), transport) << "and the next open reuses it";
    EXPECT_EQ(watched.client.ReadLine(), "hi");
    server.Release("end");
}

TEST(OpenConnection, AHostThatDoesNotResolveRaisesHostNotFound)
{
    WatchedClient watched;
    try {
        // A name with blanks fails in the resolver without a query on the network.
        watched.Open("no such host", 80);
        FAIL();
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode, 11001);
        EXPECT_STREQ(error.what(), "Socket Error # 11001\r\nHost not found.");
    }
    EXPECT_EQ(watched.events, (std::vector<std::string>{"Resolving hostname no such host."}));
}

TEST(OpenConnection, ALocalPortInUseCannotBeBound)
{
    ScriptedServer server({Script{}});
    WatchedClient watched;
    watched.client.BoundIP = "127.0.0.1";
    watched.client.BoundPort = server.Port();
    try {
        watched.Open("127.0.0.1", server.Port());
        FAIL();
    } catch (const EIdCouldNotBindSocket& error) {
        EXPECT_STREQ(error.what(), "Could not bind socket. Address and port are already in use.");
    }
}
