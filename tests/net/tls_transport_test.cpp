// The secure transport against a TLS peer on loopback: bodies in every framing, the
// certificates a client must refuse (each with its reason), servers that do not speak
// TLS, and cut connections.
#include "support/net/pattern_bytes.h"
#include "support/net/secure_test_client.h"

#include "net/errors.h"
#include "net/ssl_errors.h"

#include <gmock/gmock.h>

namespace {

struct TlsCase {
    const char* name;
    std::string host;
    TlsScript script;
    std::string body;
    // A part of the error's message; empty when the fetch succeeds.
    std::string error;
};

class SecureFetch : public testing::TestWithParam<TlsCase> {};

} // namespace

TEST_P(SecureFetch, DeliversTheBodyOrFailsSayingWhy)
{
    const TlsCase& c = GetParam();
    TlsScriptedServer server({c.script});
    SecureTestClient client;
    MemoryStream destination;

    std::string error;
    try {
        client.http.HttpGet(HttpsUrl(server, "/page", c.host), destination);
    } catch (const EIdException& raised) {
        error = raised.what();
    }

    if (c.error.empty()) {
        EXPECT_EQ(error, "");
    } else {
        EXPECT_THAT(error, testing::HasSubstr(c.error));
    }
    EXPECT_EQ(destination.Data(), c.body);
    FinishSecureExchange(client, server);
    if (c.error.empty()) {
        EXPECT_EQ(server.Received(0), HeadFor(server, "/page", c.host));
    }
}

INSTANTIATE_TEST_SUITE_P(
    TlsTransport, SecureFetch,
    testing::Values(
        TlsCase{"ContentLengthBody", "127.0.0.1", Answer(Certificates().good, Ok("hello")), "hello", ""},
        TlsCase{"HostNameChecked", "localhost", Answer(Certificates().good, Ok("hello")), "hello", ""},
        TlsCase{"BodyOfManyRecords", "127.0.0.1", Answer(Certificates().good, Ok(PatternBytes(300000))),
                PatternBytes(300000), ""},
        TlsCase{"ChunkedBody", "127.0.0.1",
                Answer(Certificates().good,
                       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n4\r\ndefg\r\n0\r\n\r\n"),
                "abcdefg", ""},
        TlsCase{"UntilTheTlsClose", "127.0.0.1", Answer(Certificates().good, "HTTP/1.1 200 OK\r\n\r\nuntil close"),
                "until close", ""},
        // Without a length only the TLS close tells the end of the body from a cut.
        TlsCase{"UntilAnUncleanClose", "127.0.0.1",
                Answer(Certificates().good, "HTTP/1.1 200 OK\r\n\r\nuntil close", TlsStep::CloseWithoutNotify()),
                "until close",
                "The secure connection with 127.0.0.1 ended without its TLS close: the page may have been cut short."},
        TlsCase{"ShortBodyWithTheTlsCloseIsNoError", "127.0.0.1",
                Answer(Certificates().good, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + PatternBytes(40)),
                PatternBytes(40), ""},
        TlsCase{"BodyCutWithoutTheTlsClose", "127.0.0.1",
                Answer(Certificates().good, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + PatternBytes(40),
                       TlsStep::CloseWithoutNotify()),
                PatternBytes(40),
                "The secure connection with 127.0.0.1 ended without its TLS close: the page may have been cut short."},
        TlsCase{"StatusError", "127.0.0.1",
                Answer(Certificates().good, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"), "",
                "HTTP/1.1 404 Not Found"},
        // A record that fails its check is never taken for page bytes.
        TlsCase{"ForgedRecord", "127.0.0.1",
                {TlsStep::Handshake(Certificates().good), TlsStep::ReadUntil("\r\n\r\n"),
                 TlsStep::SendRaw(std::string("\x17\x03\x03\x00\x20", 5) + std::string(32, 'x')),
                 TlsStep::CloseWithoutNotify()},
                "", "Secure connection with 127.0.0.1 broken: "},
        TlsCase{"Expired", "127.0.0.1", Refuse(Certificates().expired), "",
                "Certificate of 127.0.0.1 refused: expired on "},
        TlsCase{"NotYetValid", "127.0.0.1", Refuse(Certificates().notYetValid), "",
                "Certificate of 127.0.0.1 refused: not valid before "},
        TlsCase{"SelfSigned", "127.0.0.1", Refuse(Certificates().selfSigned), "",
                "Certificate of 127.0.0.1 refused: self-signed, not issued by a trusted authority."},
        TlsCase{"UnknownAuthority", "127.0.0.1", Refuse(Certificates().unknownAuthority), "",
                "Certificate of 127.0.0.1 refused: issued by an unknown authority (\"Unknown Test CA\")."},
        TlsCase{"WrongHostForAnAddress", "127.0.0.1", Refuse(Certificates().otherHost), "",
                "Certificate of 127.0.0.1 refused: wrong host, it is made out for www.example.test."},
        TlsCase{"WrongHostForAName", "localhost", Refuse(Certificates().addressOnly), "",
                "Certificate of localhost refused: wrong host, it is made out for 127.0.0.1."},
        TlsCase{"PlainHttpOnTheTlsPort", "127.0.0.1",
                {TlsStep::Read(5),
                 TlsStep::Send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"),
                 TlsStep::CloseWithoutNotify()},
                "", "TLS handshake with 127.0.0.1 failed: the server does not speak TLS on this port (plain http?)."},
        TlsCase{"ClosedInTheHandshake", "127.0.0.1", {TlsStep::Read(5), TlsStep::CloseWithoutNotify()}, "",
                "TLS handshake with 127.0.0.1 failed: the server closed the connection."},
        TlsCase{"ResetInTheHandshake", "127.0.0.1", {TlsStep::Read(5), TlsStep::Reset()}, "",
                "TLS handshake with 127.0.0.1 failed: socket error 10054 (Connection reset by peer.)."}),
    [](const testing::TestParamInfo<TlsCase>& info) { return info.param.name; });

TEST(TlsTransport, WorkEventsAnnounceTheBodyAsForHttp)
{
    TlsScriptedServer server({Answer(Certificates().good, Ok(PatternBytes(70000)))});
    SecureTestClient client;
    MemoryStream destination;

    client.http.HttpGet(HttpsUrl(server, "/page"), destination);

    EXPECT_EQ(client.begins, std::vector<int32_t>{70000});
    EXPECT_EQ(client.ends, 1);
    ASSERT_FALSE(client.totals.empty());
    EXPECT_EQ(client.totals.back(), 70000);
    FinishSecureExchange(client, server);
}

TEST(TlsTransport, ARedirectOnTheSameServerKeepsTheEncryptedConnection)
{
    TlsScriptedServer server({{TlsStep::Handshake(Certificates().good), TlsStep::ReadUntil("\r\n\r\n"),
                               TlsStep::Send("HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 0\r\n\r\n"),
                               TlsStep::ReadUntil("\r\n\r\n"), TlsStep::Send(Ok("second")), TlsStep::CloseNotify()}});
    SecureTestClient client;
    MemoryStream destination;

    client.http.HttpGet(HttpsUrl(server, "/a"), destination);

    EXPECT_EQ(destination.Data(), "second");
    FinishSecureExchange(client, server);
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_EQ(server.Received(0), HeadFor(server, "/a") + HeadFor(server, "/b"));
}

TEST(TlsTransport, AnUnreadableCAFileFailsTheFetchNamingIt)
{
    SecureTestClient client;
    client.handler->CAFile = "/nonexistent/talvira-ca.pem";
    TlsScriptedServer server({Refuse(Certificates().good)});
    MemoryStream destination;

    try {
        client.http.HttpGet(HttpsUrl(server, "/"), destination);
        FAIL() << "fetched without the CA file";
    } catch (const EIdOSSLLoadingRootCertError& error) {
        EXPECT_STREQ(error.what(), "The CA file /nonexistent/talvira-ca.pem (CAFile in the settings) cannot be used: "
                                   "No such file or directory.");
    }
    FinishSecureExchange(client, server);
}

// Plain http sent to a TLS port ends in an error, not in a wait.
TEST(TlsTransport, PlainHttpToATlsPortFails)
{
    TlsScriptedServer server({Refuse(Certificates().good)});
    HttpTestClient client;
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet("http://127.0.0.1:" + std::to_string(server.Port()) + "/", destination),
                 EIdException);
    FinishSecureExchange(client, server);
}
