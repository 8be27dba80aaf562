// Stop over the secure transport: a click handled in the anti-freeze's pump closes the
// connection, in every phase of a GET, the handshake included; the GET then ends as it
// does over plain http.
#include "support/net/secure_test_client.h"

#include "net/anti_freeze.h"
#include "net/errors.h"

namespace {

// The window's queue as the test sees it: each pump may carry the Stop click.
class StopClicks : public MessageQueue {
public:
    bool MessageWaiting() override { return true; }
    void ProcessMessages() override
    {
        ++pumps;
        if (click)
            click();
    }
    void HandleMessage() override { ProcessMessages(); }

    int pumps = 0;
    std::function<void()> click;
};

struct StopCase {
    const char* name;
    // What the server does before it stands still at the hold "stalled".
    TlsScript beforeStall;
    std::string body;
    std::string error;
};

class TlsStop : public testing::TestWithParam<StopCase> {};

TlsScript Served(std::vector<TlsStep> steps)
{
    TlsScript script = {TlsStep::Handshake(Certificates().good), TlsStep::ReadUntil("\r\n\r\n")};
    script.insert(script.end(), steps.begin(), steps.end());
    return script;
}

} // namespace

TEST_P(TlsStop, AClickInThePumpEndsTheGetAsOverHttp)
{
    const StopCase& c = GetParam();
    TlsScript script = c.beforeStall;
    script.push_back(TlsStep::Hold("stalled"));
    TlsScriptedServer server({script});
    SecureTestClient client;
    StopClicks clicks;
    TIdAntiFreeze antiFreeze(clicks);
    antiFreeze.IdleTimeOut = 10;
    clicks.click = [&] {
        if (server.IsHolding("stalled"))
            client.http.CloseConnection();
    };
    MemoryStream destination;

    std::string error;
    try {
        client.http.HttpGet(HttpsUrl(server, "/page"), destination);
    } catch (const EIdException& raised) {
        error = raised.what();
    }

    EXPECT_EQ(error, c.error);
    EXPECT_EQ(destination.Data(), c.body);
    EXPECT_GT(clicks.pumps, 0);
    EXPECT_FALSE(client.http.IsConnected());
    server.Release("stalled");
    FinishSecureExchange(client, server);
}

INSTANTIATE_TEST_SUITE_P(
    TlsTransport, TlsStop,
    testing::Values(
        StopCase{"InTheHandshake", {TlsStep::Read(5)}, "", "Connection Closed Gracefully."},
        StopCase{"AwaitingTheStatusLine", Served({}), "", "Connection Closed Gracefully."},
        StopCase{"AwaitingAHeaderLine", Served({TlsStep::Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n")}), "",
                 "Undefined situation"},
        // A stopped body of known length is a short body, not a cut: no TLS close was
        // missed, the user closed the connection.
        StopCase{"InABodyWithALength",
                 Served({TlsStep::Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello")}), "hello", ""},
        StopCase{"InABodyUntilTheClose", Served({TlsStep::Send("HTTP/1.1 200 OK\r\n\r\nhello")}), "hello", ""},
        StopCase{"InAChunkedBody",
                 Served({TlsStep::Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n")}),
                 "hello", "Connection Closed Gracefully."}),
    [](const testing::TestParamInfo<StopCase>& info) { return info.param.name; });
