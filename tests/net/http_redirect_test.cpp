// Redirects that a handler decides on. The redirects of the server alone are exchange
// cases in tests/net/cases/redirects.cases.
#include "support/net/http_test_client.h"

#include "net/errors.h"

namespace {

std::string Redirect(const std::string& status, const std::string& location)
{
    return "HTTP/1.1 " + status + "\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

} // namespace

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
