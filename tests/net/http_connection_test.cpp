// When the connection is kept, reused or closed, and how a request ends when the
// program closes the connection underneath it.
#include "support/net/http_test_client.h"

#include "net/anti_freeze.h"
#include "net/errors.h"

#include <functional>

namespace {

struct KeepCase {
    const char* name;
    TIdHTTPProtocolVersion version;
    std::string connectionLine;
    bool kept;
};

class ConnectionKept : public testing::TestWithParam<KeepCase> {};

} // namespace

TEST_P(ConnectionKept, AfterTheRequestAsTheResponseAsks)
{
    const KeepCase& c = GetParam();
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\n" + c.connectionLine + "Content-Length: 2\r\n\r\nok")});
    HttpTestClient client;
    client.http.ProtocolVersion = c.version;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);

    EXPECT_EQ(client.http.IsConnected(), c.kept);
    EXPECT_EQ(destination.Data(), "ok");
    FinishExchange(client, server);
}

INSTANTIATE_TEST_SUITE_P(
    HttpConnection, ConnectionKept,
    testing::Values(KeepCase{"Http11ByDefault", TIdHTTPProtocolVersion::pv1_1, "", true},
                    KeepCase{"Http11Close", TIdHTTPProtocolVersion::pv1_1, "Connection: close\r\n", false},
                    KeepCase{"Http11CloseInAnyCaseWithBlanks", TIdHTTPProtocolVersion::pv1_1, "Connection:  CLOSE \r\n",
                             false},
                    KeepCase{"Http11ProxyConnectionClose", TIdHTTPProtocolVersion::pv1_1,
                             "Proxy-Connection: close\r\n", false},
                    KeepCase{"Http10ByDefaultCloses", TIdHTTPProtocolVersion::pv1_0, "", false},
                    KeepCase{"Http10KeepAlive", TIdHTTPProtocolVersion::pv1_0, "Connection: Keep-Alive\r\n", true}),
    [](const testing::TestParamInfo<KeepCase>& info) { return info.param.name; });

TEST(HttpConnection, AKeptConnectionServesTheNextRequest)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n2")})});
    HttpTestClient client;
    MemoryStream first;
    MemoryStream second;

    client.http.HttpGet(UrlOf(server, "/1"), first);
    client.http.HttpGet(UrlOf(server, "/2"), second);

    EXPECT_EQ(first.Data() + second.Data(), "12");
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/1") + GetHead(server, "/2"));
}

// A kept connection that the server closed while idle is noticed before the next head
// is sent, and a new one is opened.
TEST(HttpConnection, AnIdleConnectionClosedByThePeerIsReplaced)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1"), {ScriptStep::Close()}}),
                           Exchange("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n2")});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/1"), destination);
    client.http.HttpGet(UrlOf(server, "/2"), destination);

    EXPECT_EQ(destination.Data(), "12");
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(1), GetHead(server, "/2"));
}

TEST(HttpConnection, ClosingAfterEachFetchOpensAConnectionPerFetch)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1"),
                           Exchange("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n2")});
    HttpTestClient client;
    MemoryStream destination;

    for (const char* path : {"/1", "/2"}) {
        client.http.HttpGet(UrlOf(server, path), destination);
        client.http.CloseConnection();
        EXPECT_EQ(client.http.IOHandler(), nullptr);
    }

    EXPECT_EQ(destination.Data(), "12");
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/1"));
    EXPECT_EQ(server.Received(1), GetHead(server, "/2"));
}

// --- Closing from a progress handler --------------------------------------------------------------

namespace {

struct WorkCloseCase {
    const char* name;
    std::string head;
    std::string bodyBeforeHold;
    // The handler starts closing once this many body bytes are in the destination.
    int64_t closeAt;
    bool raisesNotConnected;
    std::string received;
};

class CloseFromWork : public testing::TestWithParam<WorkCloseCase> {};

} // namespace

// The handler closes on every work event, as the program's does once its stop flag is
// set. The piece being moved is still written; what follows depends on the framing.
TEST_P(CloseFromWork, EndsTheBodyAsItsFramingAllows)
{
    const WorkCloseCase& c = GetParam();
    ScriptedServer server({Concat({Exchange(c.head + c.bodyBeforeHold), {ScriptStep::Hold("rest")}})});
    HttpTestClient client;
    MemoryStream destination;
    client.onWork = [&] {
        if (destination.Position() >= c.closeAt)
            client.http.CloseConnection();
    };

    bool notConnected = false;
    try {
        client.http.HttpGet(UrlOf(server, "/"), destination);
    } catch (const EIdNotConnected& error) {
        EXPECT_STREQ(error.what(), "Not Connected");
        notConnected = true;
    }

    EXPECT_EQ(notConnected, c.raisesNotConnected);
    EXPECT_EQ(destination.Data(), c.received);
    EXPECT_FALSE(client.http.IsConnected());
    server.Release("rest");
    FinishExchange(client, server);
}

INSTANTIATE_TEST_SUITE_P(
    HttpConnection, CloseFromWork,
    testing::Values(WorkCloseCase{"ContentLength", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", "0123456789", 10,
                                  false, "0123456789"},
                    WorkCloseCase{"UntilClose", "HTTP/1.1 200 OK\r\n\r\n", "0123456789", 10, false, "0123456789"},
                    WorkCloseCase{"Chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "A\r\n0123456789",
                                  10, true, "0123456789"},
                    // Lines and chunks already received are still read from the input buffer.
                    WorkCloseCase{"ChunkedWithMoreBuffered", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                                  "5\r\nabcde\r\n5\r\nfghij\r\n", 5, true, "abcdefghij"}),
    [](const testing::TestParamInfo<WorkCloseCase>& info) { return info.param.name; });

// --- Closing from a message handled while the request waits -----------------------------------------

namespace {

// A message queue whose handler closes the client once the request has reached the
// phase under test.
class ClosingMessages : public MessageQueue {
public:
    bool MessageWaiting() override { return true; }
    void ProcessMessages() override { HandleMessage(); }
    void HandleMessage() override
    {
        if (!closed && reached && reached()) {
            closed = true;
            close();
        }
    }

    std::function<bool()> reached;
    std::function<void()> close;
    bool closed = false;
};

enum class Ending { ClosedGracefully, UndefinedSituation, Normal };

struct PumpCloseCase {
    const char* name;
    std::string sentBeforeHold;
    // The phase, seen from the client: 0 the status line, 1 a header line, 2 the body.
    int phase;
    Ending ending;
    std::string received;
};

class CloseFromPump : public testing::TestWithParam<PumpCloseCase> {};

} // namespace

TEST_P(CloseFromPump, EndsTheRequestAsThePhaseAllows)
{
    const PumpCloseCase& c = GetParam();
    ScriptedServer server({Concat({Exchange(c.sentBeforeHold), {ScriptStep::Hold("rest")}})});
    HttpTestClient client;
    MemoryStream destination;
    bool connected = false;
    client.http.OnStatus = [&](TIdComponent&, TIdStatus status, const std::string&) {
        if (status == hsConnected)
            connected = true;
    };
    ClosingMessages messages;
    messages.close = [&] { client.http.CloseConnection(); };
    messages.reached = [&] {
        switch (c.phase) {
        case 0:
            return connected;
        case 1:
            return client.http.Response().RawLines.Count() > 0;
        default:
            return client.http.Tally(wmRead).Depth > 0 && destination.Position() == 10;
        }
    };
    TIdAntiFreeze antiFreeze(messages);
    antiFreeze.IdleTimeOut = 5;

    Ending ending = Ending::Normal;
    try {
        client.http.HttpGet(UrlOf(server, "/"), destination);
    } catch (const EIdConnClosedGracefully&) {
        ending = Ending::ClosedGracefully;
    } catch (const EIdException& error) {
        EXPECT_STREQ(error.what(), "Undefined situation");
        ending = Ending::UndefinedSituation;
    }

    EXPECT_TRUE(messages.closed);
    EXPECT_EQ(ending, c.ending);
    EXPECT_EQ(destination.Data(), c.received);
    server.Release("rest");
    FinishExchange(client, server);
}

INSTANTIATE_TEST_SUITE_P(
    HttpConnection, CloseFromPump,
    testing::Values(
        PumpCloseCase{"WaitingForTheStatusLine", "", 0, Ending::ClosedGracefully, ""},
        PumpCloseCase{"WaitingForAHeaderLine", "HTTP/1.1 200 OK\r\nServer: test\r\n", 1, Ending::UndefinedSituation,
                      ""},
        PumpCloseCase{"BodyWithContentLength", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789", 2,
                      Ending::Normal, "0123456789"},
        PumpCloseCase{"BodyUntilClose", "HTTP/1.1 200 OK\r\n\r\n0123456789", 2, Ending::Normal, "0123456789"},
        PumpCloseCase{"ChunkedBody", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n64\r\n0123456789", 2,
                      Ending::ClosedGracefully, "0123456789"}),
    [](const testing::TestParamInfo<PumpCloseCase>& info) { return info.param.name; });
