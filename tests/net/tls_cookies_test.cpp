// Which cookies go over which connection once the client has a secure transport: a
// cookie with the "secure" attribute is set only by an encrypted answer and goes only
// over an encrypted connection, also when the same transport carries plain http; and
// redirects between http and https.
#include "support/net/secure_test_client.h"

namespace {

std::string RedirectTo(const std::string& location, const std::string& cookies = {})
{
    return "HTTP/1.1 302 Found\r\n" + cookies + "Location: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

} // namespace

// Over plain http anyone on the path could plant the secure cookie that the https pages
// then trust: it is ignored there, and one set over https never goes over http.
TEST(TlsCookies, ASecureCookieIsSetOverHttpsOnlyAndGoesOnlyThere)
{
    TlsScriptedServer secure(
        {Answer(Certificates().good,
                "HTTP/1.1 200 OK\r\nSet-Cookie: tok=2; path=/; secure\r\nContent-Length: 7\r\n\r\nlanding"),
         Answer(Certificates().good, Ok("again"))});
    ScriptedServer plain(
        {Exchange(RedirectTo(HttpsUrl(secure, "/landing"),
                             "Set-Cookie: sid=1; path=/; secure\r\nSet-Cookie: lang=en; path=/\r\n")),
         Exchange(Ok("plain"))});
    SecureTestClient client;
    MemoryStream destination;

    client.http.HttpGet(UrlOf(plain, "/start"), destination);
    EXPECT_EQ(destination.Data(), "landing");
    client.http.CloseConnection();
    client.http.HttpGet(UrlOf(plain, "/next"), destination);
    client.http.CloseConnection();
    client.http.HttpGet(HttpsUrl(secure, "/again"), destination);

    FinishSecureExchange(client, secure);
    FinishExchange(client, plain);
    EXPECT_EQ(plain.Received(0), GetHead(plain, "/start"));
    EXPECT_EQ(secure.Received(0), HeadFor(secure, "/landing", "127.0.0.1", "lang=en"));
    EXPECT_EQ(plain.Received(1), GetHead(plain, "/next", "lang=en"));
    EXPECT_EQ(secure.Received(1), HeadFor(secure, "/again", "127.0.0.1", "tok=2; lang=en"));
}

// https to http: the plain request goes to the named port, on a new connection, and
// leaves the secure cookie behind.
TEST(TlsCookies, ARedirectFromHttpsToHttpDropsTheEncryptionAndTheSecureCookie)
{
    ScriptedServer plain({Exchange(Ok("plain"))});
    TlsScriptedServer secure({Answer(Certificates().good,
                                     RedirectTo(UrlOf(plain, "/back"), "Set-Cookie: sid=1; path=/; secure\r\n"))});
    SecureTestClient client;
    MemoryStream destination;

    client.http.HttpGet(HttpsUrl(secure, "/start"), destination);

    EXPECT_EQ(destination.Data(), "plain");
    FinishSecureExchange(client, secure);
    FinishExchange(client, plain);
    EXPECT_EQ(plain.Received(0), GetHead(plain, "/back"));
}

// A Location without a protocol keeps https: never a silent step down to http.
TEST(TlsCookies, ARelativeRedirectAfterHttpsStaysEncrypted)
{
    TlsScriptedServer secure(
        {Answer(Certificates().good, "HTTP/1.1 302 Found\r\nLocation: /b\r\nConnection: close\r\nContent-Length: 0\r\n\r\n"),
         Answer(Certificates().good, Ok("second"))});
    SecureTestClient client;
    MemoryStream destination;

    client.http.HttpGet(HttpsUrl(secure, "/a"), destination);

    EXPECT_EQ(destination.Data(), "second");
    FinishSecureExchange(client, secure);
    EXPECT_EQ(secure.Received(1), HeadFor(secure, "/b"));
}
