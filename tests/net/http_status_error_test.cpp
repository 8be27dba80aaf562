// Responses that end a request with an error, and what the error carries.
#include "support/net/http_test_client.h"

#include "net/errors.h"

namespace {

struct StatusErrorCase {
    const char* name;
    std::string reply;
    int replyCode;
    std::string message;
    std::string bodyText;
};

class StatusError : public testing::TestWithParam<StatusErrorCase> {};

} // namespace

TEST_P(StatusError, RaisesWithTheStatusLineCodeAndErrorPage)
{
    const StatusErrorCase& c = GetParam();
    ScriptedServer server({Exchange(c.reply)});
    HttpTestClient client;
    MemoryStream destination;

    try {
        client.http.HttpGet(UrlOf(server, "/missing"), destination);
        FAIL() << "the request succeeded";
    } catch (const EIdHTTPProtocolException& error) {
        EXPECT_EQ(error.what(), c.message);
        EXPECT_EQ(error.ReplyCode, c.replyCode);
        EXPECT_EQ(error.BodyText, c.bodyText);
    }
    EXPECT_EQ(destination.Data(), "");
    EXPECT_EQ(client.http.StatusLine(), c.message);
    FinishExchange(client, server);
}

INSTANTIATE_TEST_SUITE_P(
    HttpStatus, StatusError,
    testing::Values(
        StatusErrorCase{"NotFound", "HTTP/1.1 404 Not Found\r\nContent-Length: 12\r\n\r\nno such page", 404,
                        "HTTP/1.1 404 Not Found", "no such page"},
        StatusErrorCase{"ServerErrorWithChunkedPage",
                        "HTTP/1.1 500 Internal Server Error\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nfail\r\n0\r\n\r\n",
                        500, "HTTP/1.1 500 Internal Server Error", "fail"},
        StatusErrorCase{"UnauthorizedWithBasicChallenge",
                        "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"site\"\r\nContent-Length: 6\r\n\r\n"
                        "denied",
                        401, "HTTP/1.1 401 Unauthorized", "denied"},
        StatusErrorCase{"UnauthorizedWithoutChallenge", "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n", 401,
                        "HTTP/1.1 401 Unauthorized", ""},
        StatusErrorCase{"ProxyAuthenticationRequired",
                        "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"p\"\r\n"
                        "Content-Length: 0\r\n\r\n",
                        407, "HTTP/1.1 407 Proxy Authentication Required", ""},
        StatusErrorCase{"NotModifiedWithoutLocation", "HTTP/1.1 304 Not Modified\r\nContent-Length: 0\r\n\r\n", 304,
                        "HTTP/1.1 304 Not Modified", ""},
        StatusErrorCase{"InterimOtherThanContinue", "HTTP/1.1 102 Processing\r\nContent-Length: 0\r\n\r\n", 102,
                        "HTTP/1.1 102 Processing", ""},
        StatusErrorCase{"EmptyStatusLine", "\r\nContent-Length: 0\r\n\r\n", -1, "", ""},
        StatusErrorCase{"UnreadableStatus", "HTTP/1.1 abc\r\nContent-Length: 0\r\n\r\n", -1, "HTTP/1.1 abc", ""}),
    [](const testing::TestParamInfo<StatusErrorCase>& info) { return info.param.name; });

TEST(HttpStatus, AnErrorPageWithoutLengthIsReadUntilTheServerCloses)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 503 Service Unavailable\r\n\r\nbusy"), {ScriptStep::Close()}})});
    HttpTestClient client;
    MemoryStream destination;

    try {
        client.http.HttpGet(UrlOf(server, "/"), destination);
        FAIL();
    } catch (const EIdHTTPProtocolException& error) {
        EXPECT_EQ(error.BodyText, "busy");
    }
    EXPECT_EQ(client.begins, std::vector<int32_t>{0});
    EXPECT_FALSE(client.http.IsConnected());
    FinishExchange(client, server);
}

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

TEST(HttpStatus, APeerClosingBeforeTheFirstHeaderLineRaisesClosedGracefully)
{
    for (const char* reply : {"", "HTTP/1.1 200 OK\r\n"}) {
        ScriptedServer server({Concat({Exchange(reply), {ScriptStep::Close()}})});
        HttpTestClient client;
        MemoryStream destination;

        try {
            client.http.HttpGet(UrlOf(server, "/"), destination);
            FAIL() << "'" << reply << "'";
        } catch (const EIdConnClosedGracefully& error) {
            EXPECT_STREQ(error.what(), "Connection Closed Gracefully.");
        }
        EXPECT_FALSE(client.http.IsConnected());
        FinishExchange(client, server);
    }
}

TEST(HttpStatus, AnOverlongStatusOrHeaderLineRaises)
{
    const std::string overlong(16385, 'x');
    for (const std::string& reply : {"HTTP/1.1 200 " + overlong + "\r\n\r\n",
                                     "HTTP/1.1 200 OK\r\nX-Long: " + overlong + "\r\nContent-Length: 0\r\n\r\n"}) {
        ScriptedServer server({Exchange(reply)});
        HttpTestClient client;
        MemoryStream destination;

        try {
            client.http.HttpGet(UrlOf(server, "/"), destination);
            FAIL();
        } catch (const EIdReadLnMaxLineLengthExceeded& error) {
            EXPECT_STREQ(error.what(), "Max line length exceeded.");
        }
        FinishExchange(client, server);
    }
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
