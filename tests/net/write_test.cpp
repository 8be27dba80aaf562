#include "net/connection.h"
#include "net/errors.h"
#include "net/streams.h"
#include "support/net/pattern_bytes.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Open(TIdTCPClient& client, const ScriptedServer& server)
{
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.OpenConnection();
}

} // namespace

TEST(Write, TextsLinesBytesAndNumbersReachThePeerExactly)
{
    ScriptedServer server({Script{}});
    TIdTCPClient client;
    Open(client, server);

    client.WriteText("GET / HTTP/1.1");
    client.WriteText("");
    client.WriteLine("");
    client.WriteLine("Host: x");
    client.WriteBytes("\0\1", 2);
    client.WriteBytes("ignored", 0);
    client.WriteInt32(258);
    client.WriteInt32(258, false);
    client.CloseConnection();

    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), std::string("GET / HTTP/1.1\r\nHost: x\r\n\0\1\0\0\1\2\2\1\0\0", 35));
}

TEST(Write, TheWriteCacheCollectsUntilFinished)
{
    ScriptedServer server({{ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send("ok\n"), ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server);

    client.StartWriteCache();
    client.WriteLine("GET /a HTTP/1.1");
    client.WriteLine("Host: 127.0.0.1");
    client.WriteLine("");
    EXPECT_TRUE(client.WriteCacheActive());
    EXPECT_EQ(server.Received(0), "") << "nothing is sent before the cache is finished";
    client.FinishWriteCache();
    EXPECT_FALSE(client.WriteCacheActive());

    EXPECT_EQ(client.ReadLine(), "ok");
    EXPECT_EQ(server.Received(0), "GET /a HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    server.Release("end");
}

TEST(Write, AWriteCacheThresholdSendsWhatIsCollected)
{
    ScriptedServer server({{ScriptStep::Read(4), ScriptStep::Send("got 4\n"), ScriptStep::Hold("end")}});
    TIdTCPClient client;
    Open(client, server);

    client.StartWriteCache(4);
    client.WriteText("ab");
    client.WriteText("cdef");
    EXPECT_EQ(client.ReadLine(), "got 4");
    client.DiscardWriteCache();
    client.FinishWriteCache();
    client.CloseConnection();

    server.Release("end");
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), "abcd") << "the threshold sends its count; the rest was discarded";
}

// After CloseConnection every write raises "Not Connected", into the cache too.
TEST(Write, WritesAfterCloseRaiseNotConnected)
{
    ScriptedServer server({Script{}});
    TIdTCPClient client;
    Open(client, server);
    client.CloseConnection();

    for (bool cached : {false, true}) {
        if (cached)
            client.StartWriteCache();
        try {
            client.WriteLine("x");
            FAIL() << "cached " << cached;
        } catch (const EIdNotConnected& error) {
            EXPECT_STREQ(error.what(), "Not Connected");
        }
    }
    client.FinishWriteCache();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), "");
}

TEST(Write, AWriteAfterThePeerClosedRaisesClosedGracefully)
{
    ScriptedServer server({{ScriptStep::Send("bye\n"), ScriptStep::Close()}});
    TIdTCPClient client;
    Open(client, server);
    EXPECT_EQ(client.ReadLine(), "bye");
    EXPECT_THROW(client.ReadLine(), EIdConnClosedGracefully);
    EXPECT_NE(client.IOHandler(), nullptr) << "the transport stays until CloseConnection";

    try {
        client.WriteLine("x");
        FAIL();
    } catch (const EIdConnClosedGracefully& error) {
        EXPECT_STREQ(error.what(), "Connection Closed Gracefully.");
    }
}

// A peer that reset the connection: the send fails, the socket is released before the
// error is raised, and no SIGPIPE ends the program.
TEST(Write, ASendToAResetPeerDropsTheSocketAndRaisesTheSocketError)
{
    ScriptedServer server({{ScriptStep::Hold("connected"), ScriptStep::Reset()}});
    TIdTCPClient client;
    Open(client, server);
    server.Release("connected");
    ASSERT_TRUE(server.Finish());

    try {
        client.WriteLine("x");
        FAIL() << "the send must fail";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode, 10054);
        EXPECT_STREQ(error.what(), "Socket Error # 10054\r\nConnection reset by peer.");
    }
    EXPECT_FALSE(client.IsConnected());
    EXPECT_THROW(client.WriteLine("x"), EIdConnClosedGracefully);
}

TEST(Write, StreamsGoOutInPiecesWithWriteProgress)
{
    const std::string body = PatternBytes(70000);
    ScriptedServer server({Script{}});
    TIdTCPClient client;
    std::vector<std::string> events;
    client.OnWorkBegin = [&](TIdComponent&, TWorkMode mode, int32_t max) {
        events.push_back("begin " + std::to_string(mode) + " " + std::to_string(max));
    };
    client.OnWork = [&](TIdComponent&, TWorkMode mode, int32_t count) {
        events.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
    };
    client.OnWorkEnd = [&](TIdComponent&, TWorkMode mode) { events.push_back("end " + std::to_string(mode)); };
    Open(client, server);
    MemoryStream stream(body);
    stream.SetPosition(500);

    client.WriteFromStream(stream, true, 0, true);
    client.CloseConnection();

    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), std::string("\0\1\x11\x70", 4) + body);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "begin 1 70000");
    EXPECT_EQ(events.back(), "end 1");
    EXPECT_EQ(events[events.size() - 2], "work 1 70000");
}

TEST(Write, AStreamPartFromItsPosition)
{
    ScriptedServer server({Script{}});
    TIdTCPClient client;
    Open(client, server);
    MemoryStream stream("0123456789");
    stream.SetPosition(2);

    client.WriteFromStream(stream, false, 3);
    client.CloseConnection();

    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), "234");
}

TEST(Write, AStreamEndingBeforeTheAnnouncedSizeRaisesNoDataToRead)
{
    ScriptedServer server({Script{}});
    TIdTCPClient client;
    int ends = 0;
    client.OnWorkEnd = [&](TIdComponent&, TWorkMode) { ++ends; };
    Open(client, server);
    MemoryStream stream("abc");

    try {
        client.WriteFromStream(stream, true, 10);
        FAIL();
    } catch (const EIdNoDataToRead& error) {
        EXPECT_STREQ(error.what(), "No data to read.");
    }
    EXPECT_EQ(ends, 1) << "the write phase is closed on the error path too";
    client.CloseConnection();
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), "abc");
}

// A write event handler that closes the connection: the send loop does not touch the
// released transport again, and the stream write ends with "Not Connected".
TEST(Write, CloseFromTheWriteEventEndsTheStreamWithNotConnected)
{
    ScriptedServer server({Script{}});
    TIdTCPClient client;
    client.OnWork = [&](TIdComponent& sender, TWorkMode, int32_t) {
        static_cast<TIdTCPConnection&>(sender).CloseConnection();
    };
    Open(client, server);
    MemoryStream stream(PatternBytes(100000));

    EXPECT_THROW(client.WriteFromStream(stream), EIdNotConnected);
    ASSERT_TRUE(server.Finish());
    EXPECT_EQ(server.Received(0), PatternBytes(32768));
}
