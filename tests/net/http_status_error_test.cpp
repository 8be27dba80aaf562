// Status errors and authorization that need more than the server's bytes: the read
// limit the client restores, the head of a response cut short, and the handlers that
// answer a challenge. The status errors of the server alone are exchange cases in
// tests/net/cases/status_errors.cases.
#include "support/net/http_test_client.h"

#include "net/errors.h"

// The error page is read with a limit of 2000 ms: a server that neither sends a length
// nor closes makes the request fail with the read time-out instead.
TEST(HttpStatus, AnErrorPageThatNeverEndsRaisesTheReadTimeout)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 404 Not Found\r\n\r\npartial"), {ScriptStep::Hold("end")}})});
    HttpTestClient client;
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet(UrlOf(server, "/"), destination), EIdReadTimeout);
    EXPECT_EQ(client.http.ReadTimeout, 0);
    server.Release("end");
    FinishExchange(client, server);
}

TEST(HttpStatus, ASuccessWhoseHeadIsCutOffIsAnUndefinedSituation)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nServer: test\r\n"), {ScriptStep::Close()}})});
    HttpTestClient client;
    MemoryStream destination;

    try {
        client.http.HttpGet(UrlOf(server, "/"), destination);
        FAIL();
    } catch (const EIdException& error) {
        EXPECT_STREQ(error.what(), "Undefined situation");
    }
    EXPECT_EQ(client.http.Response().Server, "test");
    FinishExchange(client, server);
}

// Without credentials the chosen scheme is not kept, so later requests carry no
// Authorization line.
TEST(HttpAuthorization, ARefused401LeavesNoAuthorizationForLaterRequests)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                                            "Content-Length: 0\r\n\r\n"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")})});
    HttpTestClient client;
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet(UrlOf(server, "/private"), destination), EIdHTTPProtocolException);
    EXPECT_EQ(client.http.Request().Authenticator, nullptr);
    client.http.HttpGet(UrlOf(server, "/public"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/private") + GetHead(server, "/public"));
}

TEST(HttpAuthorization, AHandlerSuppliesBasicCredentialsForARetry)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest x\r\n"
                                            "WWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 6\r\n\r\ndenied"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nwelcome")})});
    HttpTestClient client;
    client.http.HTTPOptions |= hoInProcessAuth;
    int asked = 0;
    client.http.OnAuthorization = [&](TIdCustomHTTP&, TIdAuthentication& authentication, bool& handled) {
        ++asked;
        authentication.SetUsername("user");
        authentication.SetPassword("secret");
        handled = true;
    };
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/private"), destination);

    EXPECT_EQ(asked, 1);
    EXPECT_EQ(destination.Data(), "welcome");
    FinishExchange(client, server);
    const std::string head = GetHead(server, "/private");
    const std::string authorized =
        head.substr(0, head.size() - 2) + "Authorization: Basic " + EncodeBase64("user:secret") + "\r\n\r\n";
    EXPECT_EQ(server.Received(0), head + authorized);
}

// The body of a challenge that a retry answers is thrown away as it arrives, no more than
// 1 MiB of it: the connection is then closed and the retry goes out on a new one.
TEST(HttpAuthorization, AnEndlessChallengeBodyIsLeftUnread)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                                            "Content-Length: 2147483647\r\n\r\n"),
                                   {ScriptStep::Drip(std::string(4096, 'x'))}}),
                           Exchange("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nwelcome")});
    HttpTestClient client;
    client.http.HTTPOptions |= hoInProcessAuth;
    client.http.OnAuthorization = [](TIdCustomHTTP&, TIdAuthentication& authentication, bool& handled) {
        authentication.SetUsername("user");
        authentication.SetPassword("secret");
        handled = true;
    };
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/private"), destination);

    EXPECT_EQ(destination.Data(), "welcome");
    EXPECT_LE(client.http.InputBuffer().Capacity(), 131072);
    FinishExchange(client, server);
    const std::string head = GetHead(server, "/private");
    EXPECT_EQ(server.Received(0), head);
    EXPECT_EQ(server.Received(1),
              head.substr(0, head.size() - 2) + "Authorization: Basic " + EncodeBase64("user:secret") + "\r\n\r\n");
}

TEST(HttpAuthorization, RetriesStopAtTheLimit)
{
    const std::string challenge =
        "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 0\r\n\r\n";
    ScriptedServer server({Concat({Exchange(challenge), Exchange(challenge), Exchange(challenge), Exchange(challenge)})});
    HttpTestClient client;
    client.http.HTTPOptions |= hoInProcessAuth;
    client.http.OnAuthorization = [](TIdCustomHTTP&, TIdAuthentication&, bool& handled) { handled = true; };
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet(UrlOf(server, "/private"), destination), EIdHTTPProtocolException);

    EXPECT_EQ(client.http.AuthAttempts(), 3);
    FinishExchange(client, server);
}

// Configured credentials go with every request; the scheme object that sent them is
// freed when the connection closes and made again for the next request.
TEST(HttpAuthorization, ConfiguredBasicCredentialsGoWithEveryRequest)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"),
                           Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    client.http.Request().BasicAuthentication = true;
    client.http.Request().Username = "user";
    client.http.Request().Password = "secret";
    MemoryStream destination;
    const std::string authorization = "Authorization: Basic " + EncodeBase64("user:secret") + "\r\n";

    for (const char* path : {"/1", "/2"}) {
        client.http.HttpGet(UrlOf(server, path), destination);
        EXPECT_NE(client.http.Request().Authenticator, nullptr);
        client.http.CloseConnection();
        EXPECT_EQ(client.http.Request().Authenticator, nullptr);
    }

    FinishExchange(client, server);
    for (size_t connection : {0u, 1u}) {
        const std::string head = GetHead(server, connection == 0 ? "/1" : "/2");
        EXPECT_EQ(server.Received(connection), head.substr(0, head.size() - 2) + authorization + "\r\n");
    }
}
