// Redirects: which are followed, on which connection, how far, and what the
// destination holds afterwards.
#include "support/net/http_test_client.h"

#include "net/errors.h"

namespace {

std::string Redirect(const std::string& status, const std::string& location, const std::string& extra = {})
{
    return "HTTP/1.1 " + status + "\r\nLocation: " + location + "\r\n" + extra + "Content-Length: 0\r\n\r\n";
}

// A chain of redirects /r1, /r2, ... answered on one connection, as many as are asked.
std::vector<ScriptStep> RedirectChain(int first, int count)
{
    std::vector<ScriptStep> steps;
    for (int i = first; i < first + count; ++i) {
        const auto exchange = Exchange(Redirect("302 Found", "/r" + std::to_string(i + 1)));
        steps.insert(steps.end(), exchange.begin(), exchange.end());
    }
    return steps;
}

size_t CountRequests(const std::string& received)
{
    size_t count = 0;
    for (size_t at = received.find("GET "); at != std::string::npos; at = received.find("GET ", at + 1))
        ++count;
    return count;
}

} // namespace

TEST(HttpRedirect, A302IsFollowedOnTheSameConnectionAndOnlyTheLastBodyIsKept)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 5\r\n\r\nmoved"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")})});
    HttpTestClient client;
    MemoryStream destination("old:");
    destination.SetPosition(4);

    client.http.HttpGet(UrlOf(server, "/a"), destination);

    EXPECT_EQ(destination.Data(), "old:ok");
    // The redirect's body is read (and announced) before the final one.
    EXPECT_EQ(client.begins, (std::vector<int32_t>{5, 2}));
    EXPECT_EQ(client.ends, 2);
    EXPECT_EQ(client.http.StatusLine(), "HTTP/1.1 200 OK");
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/a") + GetHead(server, "/b"));
}

TEST(HttpRedirect, ARedirectThatClosesIsFollowedOnANewConnection)
{
    ScriptedServer server({Exchange(Redirect("301 Moved Permanently", "/b", "Connection: close\r\n")),
                           Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/a"), destination);

    EXPECT_EQ(destination.Data(), "ok");
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/a"));
    EXPECT_EQ(server.Received(1), GetHead(server, "/b"));
}

TEST(HttpRedirect, AnAbsoluteLocationOnAnotherServerIsFollowedThere)
{
    ScriptedServer second({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecond")});
    ScriptedServer first({Exchange(Redirect("307 Temporary Redirect", UrlOf(second, "/x/y?z=1")))});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(first, "/a"), destination);

    EXPECT_EQ(destination.Data(), "second");
    FinishExchange(client, first);
    FinishExchange(client, second);
    EXPECT_EQ(second.Received(0), GetHead(second, "/x/y?z=1"));
}

TEST(HttpRedirect, ARelativeLocationIsMergedWithThePreviousPath)
{
    ScriptedServer server({Concat({Exchange(Redirect("302 Found", "page2.html?x=1")),
                                   Exchange(Redirect("302 Found", "../d.html")),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")})});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/a/b/c.html"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0),
              GetHead(server, "/a/b/c.html") + GetHead(server, "/a/b/page2.html?x=1") + GetHead(server, "/a/d.html"));
}

TEST(HttpRedirect, A200WithALocationIsFollowed)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nLocation: /next\r\nContent-Length: 4\r\n\r\nskip"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nreal")})});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);

    EXPECT_EQ(destination.Data(), "real");
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/") + GetHead(server, "/next"));
}

// The first request counts too: 15 requests, 14 of them redirects followed; the 15th
// redirect ends the request normally with nothing in the destination.
TEST(HttpRedirect, AChainOfTwentyFollowsFourteenAndEndsWithAnEmptyBody)
{
    ScriptedServer server({RedirectChain(0, 15)});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/r0"), destination);

    EXPECT_EQ(destination.Data(), "");
    EXPECT_EQ(client.http.StatusLine(), "HTTP/1.1 302 Found");
    EXPECT_EQ(client.http.Response().Location, "/r15");
    FinishExchange(client, server);
    EXPECT_EQ(CountRequests(server.Received(0)), 15u);
    EXPECT_NE(server.Received(0).find("GET /r14 HTTP/1.1"), std::string::npos);
}

// Every request may follow the full number of redirects, however many an earlier,
// failed request took.
TEST(HttpRedirect, TheCountStartsAgainAfterAFailedRequest)
{
    ScriptedServer server({Concat({RedirectChain(0, 5),
                                   Exchange("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"),
                                   RedirectChain(100, 15)})});
    HttpTestClient client;
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet(UrlOf(server, "/r0"), destination), EIdHTTPProtocolException);
    client.http.HttpGet(UrlOf(server, "/r100"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(CountRequests(server.Received(0)), 6u + 15u);
    EXPECT_NE(server.Received(0).find("GET /r114 HTTP/1.1"), std::string::npos);
}

TEST(HttpRedirect, NotFollowedWhenTheClientDoesNotHandleRedirects)
{
    ScriptedServer server({Exchange("HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 5\r\n\r\nmoved")});
    HttpTestClient client;
    client.http.HandleRedirects = false;
    MemoryStream destination;

    try {
        client.http.HttpGet(UrlOf(server, "/a"), destination);
        FAIL() << "an unhandled redirect succeeded";
    } catch (const EIdHTTPProtocolException& error) {
        EXPECT_STREQ(error.what(), "HTTP/1.1 302 Found");
        EXPECT_EQ(error.ReplyCode, 302);
        EXPECT_EQ(error.BodyText, "moved");
    }
    EXPECT_EQ(destination.Data(), "");
    FinishExchange(client, server);
}

TEST(HttpRedirect, TheRedirectHandlerMayChangeTheLocationOrRefuse)
{
    ScriptedServer server({Concat({Exchange(Redirect("302 Found", "/b")),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"),
                                   Exchange(Redirect("302 Found", "/d"))})});
    HttpTestClient client;
    std::vector<int32_t> counts;
    client.http.OnRedirect = [&](TIdCustomHTTP&, std::string& dest, int32_t& count, bool& handled, TIdHTTPMethod&) {
        counts.push_back(count);
        if (dest == "/b")
            dest = "/c";
        else
            handled = false;
    };
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/a"), destination);
    EXPECT_THROW(client.http.HttpGet(UrlOf(server, "/a2"), destination), EIdHTTPProtocolException);

    EXPECT_EQ(counts, (std::vector<int32_t>{1, 1}));
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/a") + GetHead(server, "/c") + GetHead(server, "/a2"));
}

TEST(HttpRedirect, ARedirectToHttpsIsRefused)
{
    ScriptedServer server({Exchange(Redirect("302 Found", "https://127.0.0.1/secure"))});
    HttpTestClient client;
    MemoryStream destination;

    try {
        client.http.HttpGet(UrlOf(server, "/a"), destination);
        FAIL() << "an https redirect was followed";
    } catch (const EIdIOHandlerPropInvalid& error) {
        EXPECT_STREQ(error.what(), "IOHandler value is not valid");
    }
    FinishExchange(client, server);
}
