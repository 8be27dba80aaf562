#include "net/connection.h"
#include "net/errors.h"
#include "net/streams.h"
#include "support/net/pattern_bytes.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A client connected to the server with its work events written down.
struct ReadingClient {
    explicit ReadingClient(const ScriptedServer& server)
    {
        client.OnWorkBegin = [this](TIdComponent&, TWorkMode, int32_t max) { begins.push_back(max); };
        client.OnWork = [this](TIdComponent&, TWorkMode, int32_t count) { totals.push_back(count); };
        client.OnWorkEnd = [this](TIdComponent&, TWorkMode) { ++ends; };
        client.SetHost("127.0.0.1");
        client.SetPort(server.Port());
        client.OpenConnection();
    }

    TIdTCPClient client;
    std::vector<int32_t> begins;
    std::vector<int32_t> totals;
    int ends = 0;
};

} // namespace

TEST(ReadToStream, CountedReadReportsRunningTotalsPerPiece)
{
    const std::string body = PatternBytes(65636);
    ScriptedServer server({{ScriptStep::Send(body), ScriptStep::Hold("end")}});
    ReadingClient reader(server);
    MemoryStream stream;

    reader.client.ReadToStream(stream, 65636);

    EXPECT_EQ(stream.Data(), body);
    EXPECT_EQ(reader.begins, (std::vector<int32_t>{65636}));
    EXPECT_EQ(reader.totals, (std::vector<int32_t>{32768, 65536, 65636}));
    EXPECT_EQ(reader.ends, 1);
    server.Release("end");
}

TEST(ReadToStream, BytesBufferedWithTheHeadComeFirst)
{
    const std::string body = PatternBytes(100);
    ScriptedServer server({{ScriptStep::Send("HEAD\n" + body.substr(0, 10)), ScriptStep::Hold("head"),
                            ScriptStep::Send(body.substr(10)), ScriptStep::Hold("end")}});
    ReadingClient reader(server);
    ASSERT_TRUE(server.WaitUntilHolding("head"));
    EXPECT_EQ(reader.client.ReadLine(), "HEAD");
    server.Release("head");

    MemoryStream stream;
    reader.client.ReadToStream(stream, 100);

    EXPECT_EQ(stream.Data(), body);
    EXPECT_EQ(reader.totals, (std::vector<int32_t>{10, 100}));
    server.Release("end");
}

TEST(ReadToStream, WritesAtTheStreamPositionAndGrowsItUpFront)
{
    ScriptedServer server({{ScriptStep::Send("12345"), ScriptStep::Hold("end")}});
    ReadingClient reader(server);
    MemoryStream stream("head:");
    stream.SetPosition(5);

    reader.client.ReadToStream(stream, 5);

    EXPECT_EQ(stream.Data(), "head:12345");
    EXPECT_EQ(stream.Position(), 10);
    server.Release("end");
}

TEST(ReadToStream, CountZeroWritesNothingButAnnouncesThePhase)
{
    ScriptedServer server({{ScriptStep::Hold("end")}});
    ReadingClient reader(server);
    MemoryStream stream("old");
    stream.SetPosition(3);

    reader.client.ReadToStream(stream, 0);

    EXPECT_EQ(stream.Data(), "old");
    EXPECT_EQ(reader.begins, (std::vector<int32_t>{0}));
    EXPECT_TRUE(reader.totals.empty());
    EXPECT_EQ(reader.ends, 1);
    server.Release("end");
}

// The count of a short body: the bytes buffered at the call reach the stream, the bytes
// of the piece in progress stay in the input buffer, and the stream is cut to its end.
struct ShortBodyCase {
    const char* name;
    size_t bufferedAtCall;
    size_t arrivingLater;
    size_t expectedInStream;
    int expectedLeftInBuffer;
};

class ShortBody : public testing::TestWithParam<ShortBodyCase> {};

TEST_P(ShortBody, RaisesClosedGracefullyAndCutsTheStream)
{
    const ShortBodyCase& c = GetParam();
    const std::string body = PatternBytes(c.bufferedAtCall + c.arrivingLater);
    ScriptedServer server({{ScriptStep::Send("HEAD\n" + body.substr(0, c.bufferedAtCall)), ScriptStep::Hold("head"),
                            ScriptStep::Send(body.substr(c.bufferedAtCall)), ScriptStep::Close()}});
    ReadingClient reader(server);
    ASSERT_TRUE(server.WaitUntilHolding("head"));
    EXPECT_EQ(reader.client.ReadLine(), "HEAD");
    server.Release("head");

    MemoryStream stream;
    try {
        reader.client.ReadToStream(stream, 100);
        FAIL() << "a short body must raise";
    } catch (const EIdConnClosedGracefully& error) {
        EXPECT_STREQ(error.what(), "Connection Closed Gracefully.");
    }
    EXPECT_EQ(stream.Data(), body.substr(0, c.expectedInStream));
    EXPECT_EQ(stream.Size(), stream.Position());
    EXPECT_EQ(reader.client.InputBuffer().Size(), c.expectedLeftInBuffer);
    EXPECT_EQ(reader.ends, 1);
}

INSTANTIATE_TEST_SUITE_P(ReadToStream, ShortBody,
                         testing::Values(ShortBodyCase{"NothingBuffered", 0, 40, 0, 40},
                                         ShortBodyCase{"AllBuffered", 40, 0, 40, 0},
                                         ShortBodyCase{"PartBuffered", 30, 10, 30, 10}),
                         [](const testing::TestParamInfo<ShortBodyCase>& info) { return info.param.name; });

TEST(ReadToStream, UntilClosedTakesEveryByteAndReportsNoProgressForTheLastPiece)
{
    const std::string body = PatternBytes(100000);
    ScriptedServer server({{ScriptStep::Send(body), ScriptStep::Close()}});
    ReadingClient reader(server);
    MemoryStream stream;

    reader.client.ReadToStream(stream, -1, true);

    EXPECT_EQ(stream.Data(), body);
    EXPECT_EQ(reader.begins, (std::vector<int32_t>{0}));
    EXPECT_EQ(reader.totals, (std::vector<int32_t>{32768, 65536, 98304}));
    EXPECT_EQ(reader.ends, 1);
    EXPECT_FALSE(reader.client.IsConnected());
}

TEST(ReadToStream, CountMinusOneReadsALengthFirst)
{
    ScriptedServer server({{ScriptStep::Send(std::string("\0\0\0\3xyz", 7)), ScriptStep::Hold("end")}});
    ReadingClient reader(server);
    MemoryStream stream;

    reader.client.ReadToStream(stream);

    EXPECT_EQ(stream.Data(), "xyz");
    server.Release("end");
}

// A progress handler that closes the connection: the piece it was told about is
// written, the read ends normally, and a later read that needs the network fails.
TEST(ReadToStream, CloseFromOnWorkEndsACountedReadNormally)
{
    const std::string body = PatternBytes(32768);
    ScriptedServer server({{ScriptStep::Send(body), ScriptStep::Hold("end")}});
    ReadingClient reader(server);
    int disconnects = 0;
    reader.client.OnDisconnected = [&](TIdComponent&) { ++disconnects; };
    reader.client.OnWork = [&](TIdComponent& sender, TWorkMode, int32_t count) {
        reader.totals.push_back(count);
        static_cast<TIdTCPConnection&>(sender).CloseConnection();
    };
    MemoryStream stream;

    reader.client.ReadToStream(stream, 65636);

    EXPECT_EQ(stream.Data(), body);
    EXPECT_EQ(reader.totals, (std::vector<int32_t>{32768}));
    EXPECT_EQ(reader.ends, 1);
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(reader.client.IOHandler(), nullptr);
    try {
        reader.client.ReadLine();
        FAIL() << "a read that must wait for the network after the close raises";
    } catch (const EIdNotConnected& error) {
        EXPECT_STREQ(error.what(), "Not Connected");
    }
    server.Release("end");
}

TEST(ReadToStream, CloseFromOnWorkKeepsBufferedLinesReadable)
{
    ScriptedServer server({{ScriptStep::Send("HEAD\n12345line one\nline"), ScriptStep::Hold("end")}});
    ReadingClient reader(server);
    ASSERT_TRUE(server.WaitUntilHolding("end"));
    EXPECT_EQ(reader.client.ReadLine(), "HEAD");
    reader.client.OnWork = [&](TIdComponent& sender, TWorkMode, int32_t) {
        static_cast<TIdTCPConnection&>(sender).CloseConnection();
    };
    MemoryStream stream;

    reader.client.ReadToStream(stream, 5);

    EXPECT_EQ(stream.Data(), "12345");
    EXPECT_EQ(reader.client.ReadLine(), "line one");
    EXPECT_THROW(reader.client.ReadLine(), EIdNotConnected);
    server.Release("end");
}
