// The bytes of a request head as the server receives them.
#include "support/net/http_test_client.h"

#include "net/cookies.h"
#include "net/errors.h"

TEST(HttpRequestHead, AGetIsTheRequestLineAndFourHeaderLinesInOrder)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/search?q=%22golf+clubs%22#top"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), "GET /search?q=%22golf+clubs%22 HTTP/1.1\r\n"
                                  "Content-Type: text/html\r\n"
                                  "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"
                                  "Accept: text/html, */*\r\n"
                                  "User-Agent: Mozilla/3.0 (compatible; Talvira)\r\n"
                                  "\r\n");
}

TEST(HttpRequestHead, ACookieLineFollowsWhenStoredCookiesMatch)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\n"
                                            "Set-Cookie: other=1; path=/elsewhere/\r\nContent-Length: 0\r\n\r\n"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")})});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/a/first.html"), destination);
    client.http.HttpGet(UrlOf(server, "/a/second.html"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/a/first.html") + GetHead(server, "/a/second.html", "sid=abc"));
}

TEST(HttpRequestHead, CookiesOfOneHostAreNotSentToAnother)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\nConnection: close\r\n"
                                    "Content-Length: 0\r\n\r\n"),
                           Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);
    client.http.HttpGet("http://localhost:" + std::to_string(server.Port()) + "/", destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(1).find("Cookie"), std::string::npos) << server.Received(1);
}

TEST(HttpRequestHead, HttpOneZeroAsksToKeepTheConnection)
{
    ScriptedServer server({Exchange("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    client.http.ProtocolVersion = TIdHTTPProtocolVersion::pv1_0;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), "GET / HTTP/1.0\r\n"
                                  "Connection: keep-alive\r\n"
                                  "Content-Type: text/html\r\n"
                                  "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"
                                  "Accept: text/html, */*\r\n"
                                  "User-Agent: Mozilla/3.0 (compatible; Talvira)\r\n"
                                  "\r\n");
}

// Through a proxy the request line carries the absolute URL of the origin server, and
// the connection goes to the proxy.
TEST(HttpRequestHead, AProxyIsAskedForTheAbsoluteUrl)
{
    ScriptedServer proxy({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpTestClient client;
    client.http.ProxyParams.SetProxyServer("127.0.0.1");
    client.http.ProxyParams.SetProxyPort(proxy.Port());
    MemoryStream destination;

    client.http.HttpGet("http://origin.test/a/b.html?x=1", destination);

    EXPECT_EQ(destination.Data(), "ok");
    FinishExchange(client, proxy);
    EXPECT_EQ(proxy.Received(0), "GET http://origin.test:80/a/b.html?x=1 HTTP/1.1\r\n"
                                 "Content-Type: text/html\r\n"
                                 "Host: origin.test\r\n"
                                 "Accept: text/html, */*\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible; Talvira)\r\n"
                                 "\r\n");
}

TEST(HttpRequestHead, AnHttpsUrlIsRefused)
{
    HttpTestClient client;
    MemoryStream destination;
    try {
        client.http.HttpGet("https://127.0.0.1:1/", destination);
        FAIL() << "an https URL was fetched";
    } catch (const EIdIOHandlerPropInvalid& error) {
        EXPECT_STREQ(error.what(), "IOHandler value is not valid");
    }
    EXPECT_FALSE(client.http.IsConnected());
}

TEST(HttpRequestHead, AssigningTheRequestCopiesItsFields)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    TIdHTTPRequest settings;
    settings.UserAgent = "Probe/1.0";
    settings.Referer = "http://from.test/";
    settings.CustomHeaders.Add("X-Extra: 1");
    client.http.SetRequest(settings);
    settings.UserAgent = "changed afterwards";
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), "GET / HTTP/1.1\r\n"
                                  "Content-Type: text/html\r\n"
                                  "X-Extra: 1\r\n"
                                  "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"
                                  "Accept: text/html, */*\r\n"
                                  "Referer: http://from.test/\r\n"
                                  "User-Agent: Probe/1.0\r\n"
                                  "\r\n");
}
