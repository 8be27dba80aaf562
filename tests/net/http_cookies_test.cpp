// The client and its cookie store: the manager it makes, keeps, or is given. Which
// cookies go out with which request are exchange cases in tests/net/cases/cookies.cases.
#include "support/net/http_test_client.h"

#include "net/cookies.h"
#include "net/errors.h"

TEST(HttpCookies, TheClientMakesItsManagerOnTheFirstResponseAndKeepsIt)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\nContent-Length: 0\r\n\r\n"),
                           Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    MemoryStream destination;
    EXPECT_EQ(client.http.CookieManager(), nullptr);

    client.http.HttpGet(UrlOf(server, "/"), destination);
    client.http.CloseConnection();
    TIdCookieManager* const manager = client.http.CookieManager();
    ASSERT_NE(manager, nullptr);
    client.http.HttpGet(UrlOf(server, "/x/"), destination);

    EXPECT_EQ(client.http.CookieManager(), manager);
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(1), GetHead(server, "/x/", "sid=abc"));
}

TEST(HttpCookies, NoStoreWhenCookiesAreNotAllowed)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\nContent-Length: 0\r\n\r\n"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")})});
    HttpTestClient client;
    client.http.AllowCookies = false;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);
    client.http.HttpGet(UrlOf(server, "/"), destination);

    EXPECT_EQ(client.http.CookieManager(), nullptr);
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/") + GetHead(server, "/"));
}

TEST(HttpCookies, AnAssignedManagerIsUsedButNotOwned)
{
    ScriptedServer server({Concat({Exchange("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\nContent-Length: 0\r\n\r\n"),
                                   Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")})});
    HttpTestClient client;
    client.http.AllowCookies = false;
    auto shared = std::make_unique<TIdCookieManager>();
    client.http.SetCookieManager(shared.get());
    MemoryStream destination;

    client.http.HttpGet(UrlOf(server, "/"), destination);
    EXPECT_EQ(shared->Store().Count(), 1);

    // Destroyed elsewhere: the client forgets it and goes on without cookies.
    shared.reset();
    EXPECT_EQ(client.http.CookieManager(), nullptr);
    client.http.HttpGet(UrlOf(server, "/"), destination);

    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), GetHead(server, "/") + GetHead(server, "/"));
}

TEST(HttpCookies, AssigningAnotherManagerDestroysTheClientsOwn)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    HttpTestClient client;
    MemoryStream destination;
    client.http.HttpGet(UrlOf(server, "/"), destination);
    ASSERT_NE(client.http.CookieManager(), nullptr);
    bool destroyed = false;
    client.http.CookieManager()->OnDestroy = [&](TIdCookieManager&, TIdCookies&) { destroyed = true; };

    TIdCookieManager other;
    client.http.SetCookieManager(&other);

    EXPECT_TRUE(destroyed);
    EXPECT_EQ(client.http.CookieManager(), &other);
    client.http.SetCookieManager(nullptr);
    FinishExchange(client, server);
}
