// Closing the connection from outside a request: after each fetch, and from a progress
// handler while a body is read. When the connection is kept or reused, and a close from
// a pump (the Stop button), are exchange cases in tests/net/cases/connections.cases and
// stops.cases.
#include "support/net/http_test_client.h"

#include "net/errors.h"

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
                                  "5\r\nabcde\r\n5\r\nfghij\r\n", 5, true, "abcdefghij"},
                    // The close ends the whole request: the redirect is not followed (the
                    // server takes no second request on this connection or a new one).
                    WorkCloseCase{"RedirectBody", "HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 100\r\n\r\n",
                                  "0123456789", 0, true, ""}),
    [](const testing::TestParamInfo<WorkCloseCase>& info) { return info.param.name; });
