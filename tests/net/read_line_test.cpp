#include "net/anti_freeze.h"
#include "net/connection.h"
#include "net/errors.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// What one ReadLine gave: the line, or the message of the error it raised.
struct LineOutcome {
    std::string line;
    std::string error;
    bool split = false;
    bool aborted = false;

    bool operator==(const LineOutcome&) const = default;
};

void PrintTo(const LineOutcome& outcome, std::ostream* out)
{
    *out << "{line \"" << outcome.line.substr(0, 40) << "\" (" << outcome.line.size() << " bytes), error \""
         << outcome.error << "\", split " << outcome.split << ", aborted " << outcome.aborted << "}";
}

LineOutcome Line(std::string text)
{
    return {std::move(text), {}, false, false};
}

LineOutcome Raised(std::string message)
{
    return {{}, std::move(message), false, false};
}

struct ReadLineCase {
    const char* name;
    std::string peerSends;
    bool peerCloses;
    std::string terminator;
    int32_t maxLineLength;
    TIdMaxLineAction action;
    std::vector<LineOutcome> reads;
};

std::string Repeat(size_t count, char byte)
{
    return std::string(count, byte);
}

LineOutcome ReadOne(TIdTCPConnection& connection, const std::string& terminator)
{
    LineOutcome outcome;
    try {
        outcome.line = connection.ReadLine(terminator);
    } catch (const EIdException& error) {
        outcome.error = error.what();
    }
    outcome.split = connection.LineSplit();
    outcome.aborted = connection.LineAborted();
    return outcome;
}

const std::string TooLong = "Max line length exceeded.";
const std::string ClosedGracefully = "Connection Closed Gracefully.";

const ReadLineCase ReadLineCases[] = {
    {"LF", "abc\n", false, "", 16384, maException, {Line("abc")}},
    {"CRLF", "abc\r\n", false, "", 16384, maException, {Line("abc")}},
    {"CRCRLF keeps one CR", "abc\r\r\n", false, "", 16384, maException, {Line("abc\r")}},
    {"CRLF terminator", "abc\r\ndef\r\n", false, "\r\n", 16384, maException, {Line("abc"), Line("def")}},
    {"CRLF terminator leaves a lone LF", "ab\ncd\r\n", false, "\r\n", 16384, maException, {Line("ab\ncd")}},
    {"several lines in one block", "a\nb\r\n\nc\n", false, "", 16384, maException,
     {Line("a"), Line("b"), Line(""), Line("c")}},
    {"line of the maximum length", Repeat(16384, 'a') + "\n", false, "", 16384, maException,
     {Line(Repeat(16384, 'a'))}},
    {"the CR before LF counts", Repeat(16383, 'a') + "\r\n", false, "", 16384, maException,
     {Line(Repeat(16383, 'a'))}},
    {"one byte over the maximum", Repeat(16385, 'a') + "\n", false, "", 16384, maException, {Raised(TooLong)}},
    {"over-long without LF raises before receiving again", Repeat(16385, 'a'), false, "", 16384, maException,
     {Raised(TooLong), Raised(TooLong)}},
    {"no limit", Repeat(40000, 'a') + "\n", false, "", 0, maException, {Line(Repeat(40000, 'a'))}},
    {"split", Repeat(16385, 'a') + "\n", false, "", 16384, maSplit,
     {{Repeat(16384, 'a'), {}, true, false}, Line("a")}},
    {"split without LF", Repeat(16390, 'b'), true, "", 16384, maSplit,
     {{Repeat(16384, 'b'), {}, true, false}, {"", {}, false, true}, Raised(ClosedGracefully)}},
    {"peer closes after a line", "abc\n", true, "", 16384, maException, {Line("abc"), Raised(ClosedGracefully)}},
    {"peer closes inside a line", "abc", true, "", 16384, maException,
     {{"", {}, false, true}, Raised(ClosedGracefully)}},
    {"peer closes at once", "", true, "", 16384, maException, {Raised(ClosedGracefully)}},
};

class ReadLineTable : public testing::TestWithParam<ReadLineCase> {};

} // namespace

TEST_P(ReadLineTable, Reads)
{
    const ReadLineCase& c = GetParam();
    Script script = {ScriptStep::Send(c.peerSends), ScriptStep::Hold("sent")};
    if (c.peerCloses)
        script.push_back(ScriptStep::Close());
    else
        script.push_back(ScriptStep::Hold("end"));
    ScriptedServer server({script});

    TIdTCPClient client;
    client.MaxLineLength = c.maxLineLength;
    client.MaxLineAction = c.action;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.OpenConnection();
    // Everything the peer sends is waiting before the first read.
    ASSERT_TRUE(server.WaitUntilHolding("sent"));
    server.Release("sent");

    for (size_t i = 0; i < c.reads.size(); ++i)
        EXPECT_EQ(ReadOne(client, c.terminator), c.reads[i]) << "read " << i;
    server.Release("end");
}

INSTANTIATE_TEST_SUITE_P(Connection, ReadLineTable, testing::ValuesIn(ReadLineCases),
                         [](const testing::TestParamInfo<ReadLineCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(ReadLine, AnOverLongLineLeavesTheBufferAsItWas)
{
    ScriptedServer server({{ScriptStep::Send(Repeat(16385, 'a') + "\nnext\n"), ScriptStep::Hold("end")}});
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.OpenConnection();
    ASSERT_TRUE(server.WaitUntilHolding("end"));

    EXPECT_THROW(client.ReadLine(), EIdReadLnMaxLineLengthExceeded);
    EXPECT_EQ(client.InputBuffer().Size(), 16391);
    client.MaxLineLength = 0;
    EXPECT_EQ(client.ReadLine().size(), 16385u);
    EXPECT_EQ(client.ReadLine(), "next");
    server.Release("end");
}

// A terminator of two bytes whose first byte ends one receive and whose second byte
// starts the next is still found.
TEST(ReadLine, FindsATerminatorSplitAcrossTwoReceives)
{
    ScriptedServer server({{ScriptStep::Send("abc\r"), ScriptStep::Hold("half"), ScriptStep::Send("\nrest\r\n"),
                            ScriptStep::Hold("end")}});
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.OpenConnection();
    ASSERT_TRUE(server.WaitUntilHolding("half"));

    // The pump runs only once a wait finds nothing, so "abc\r" has been received by then.
    struct ReleaseOnPump : MessageQueue {
        std::function<void()> onPump;
        bool MessageWaiting() override { return true; }
        void ProcessMessages() override { onPump(); }
        void HandleMessage() override { onPump(); }
    } messages;
    int pumps = 0;
    messages.onPump = [&] {
        if (++pumps == 1)
            server.Release("half");
    };
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 5;

    EXPECT_EQ(client.ReadLine("\r\n"), "abc");
    EXPECT_GE(pumps, 1);
    EXPECT_EQ(client.ReadLine("\r\n"), "rest");
    server.Release("end");
}

TEST(ReadLine, TakenBytesCountAsReadProgressInsideAPhase)
{
    ScriptedServer server({{ScriptStep::Send("ab\r\ncd\n"), ScriptStep::Hold("end")}});
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.OpenConnection();
    std::vector<int32_t> totals;
    client.OnWork = [&](TIdComponent&, TWorkMode, int32_t count) { totals.push_back(count); };

    EXPECT_EQ(client.ReadLine(), "ab");
    client.StartWork(wmRead);
    EXPECT_EQ(client.ReadLine(), "cd");
    client.FinishWork(wmRead);
    EXPECT_EQ(totals, (std::vector<int32_t>{3})) << "terminator included, nothing outside the phase";
    server.Release("end");
}
