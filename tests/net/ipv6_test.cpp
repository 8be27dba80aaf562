// IPv6 literals through the whole fetch: the connect to ::1, the Host line with the
// brackets, a redirect between literals, and the cookies of a literal host.
#include "support/net/http_test_client.h"

#include "net/cookies.h"
#include "net/errors.h"

namespace {

std::string Url6(const ScriptedServer& server, const std::string& path)
{
    return "http://[::1]:" + std::to_string(server.Port()) + path;
}

std::string Host6(const ScriptedServer& server)
{
    return "[::1]:" + std::to_string(server.Port());
}

} // namespace

TEST(Ipv6, ALiteralIsAskedOverIpv6WithTheBracketsInTheHostLine)
{
    auto server = ScriptedServer::OnIPv6({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nv6")});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(Url6(*server, "/page"), destination);

    EXPECT_EQ(destination.Data(), "v6");
    FinishExchange(client, *server);
    EXPECT_EQ(server->Received(0), ProgramRequestHead("/page", Host6(*server)));
}

// A relative redirect stays on the literal and its port; the cookie the literal set goes
// back to it, and only to it.
TEST(Ipv6, RedirectsAndCookiesWorkOnALiteral)
{
    auto server = ScriptedServer::OnIPv6({Concat(
        {Exchange("HTTP/1.1 302 Found\r\nLocation: /b\r\nSet-Cookie: sid=6; path=/\r\nContent-Length: 0\r\n\r\n"),
         Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")})});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet(Url6(*server, "/a"), destination);

    EXPECT_EQ(destination.Data(), "ok");
    FinishExchange(client, *server);
    EXPECT_EQ(server->Received(0), ProgramRequestHead("/a", Host6(*server)) +
                                       ProgramRequestHead("/b", Host6(*server), "Cookie: sid=6\r\n"));
    ASSERT_NE(client.http.CookieManager(), nullptr);
    EXPECT_EQ(client.http.CookieManager()->BuildCookieHeader(TIdURI("http://[::2]/"), false), "");
}

// Brackets around something that is not an address: the name is not found.
TEST(Ipv6, ALiteralThatIsNotAnAddressIsNotFound)
{
    HttpTestClient client;
    MemoryStream destination;
    EXPECT_THROW(client.http.HttpGet("http://[::g]:8080/", destination), EIdSocketError);
}
