// https through a proxy: the CONNECT exchange in the clear, then TLS with the origin
// server inside the tunnel, its certificate checked for the origin's name.
#include "support/net/secure_test_client.h"

#include "net/errors.h"
#include "net/ssl_errors.h"

namespace {

const char* const ConnectHead = "CONNECT localhost:8443 HTTP/1.1\r\nHost: localhost:8443\r\n\r\n";

void UseProxy(HttpTestClient& client, const TlsScriptedServer& proxy)
{
    client.http.ProxyParams.SetProxyServer("127.0.0.1");
    client.http.ProxyParams.SetProxyPort(proxy.Port());
}

} // namespace

TEST(TlsTunnel, ConnectsThroughTheProxyThenSpeaksTlsWithTheOrigin)
{
    TlsScriptedServer proxy({{TlsStep::ReadUntil("\r\n\r\n"), TlsStep::Send("HTTP/1.1 200 Connection established\r\n\r\n"),
                              TlsStep::Handshake(Certificates().good), TlsStep::ReadUntil("\r\n\r\n"),
                              TlsStep::Send(Ok("through")), TlsStep::CloseNotify()}});
    SecureTestClient client;
    UseProxy(client, proxy);
    MemoryStream destination;

    client.http.HttpGet("https://localhost:8443/page", destination);

    EXPECT_EQ(destination.Data(), "through");
    FinishSecureExchange(client, proxy);
    EXPECT_EQ(proxy.Received(0), ConnectHead + ProgramRequestHead("/page", "localhost:8443"));
}

// The proxy's credentials go to the proxy, never to the origin inside the tunnel.
TEST(TlsTunnel, ProxyCredentialsStayOutsideTheTunnel)
{
    TlsScriptedServer proxy({{TlsStep::ReadUntil("\r\n\r\n"), TlsStep::Send("HTTP/1.1 200 Connection established\r\n\r\n"),
                              TlsStep::Handshake(Certificates().good), TlsStep::ReadUntil("\r\n\r\n"),
                              TlsStep::Send(Ok("through")), TlsStep::CloseNotify()}});
    SecureTestClient client;
    UseProxy(client, proxy);
    client.http.ProxyParams.BasicAuthentication = true;
    client.http.ProxyParams.ProxyUsername = "user";
    client.http.ProxyParams.ProxyPassword = "secret";
    MemoryStream destination;

    client.http.HttpGet("https://localhost:8443/page", destination);

    FinishSecureExchange(client, proxy);
    EXPECT_EQ(proxy.Received(0), "CONNECT localhost:8443 HTTP/1.1\r\nHost: localhost:8443\r\n"
                                 "Proxy-Authorization: Basic dXNlcjpzZWNyZXQ=\r\n\r\n" +
                                     ProgramRequestHead("/page", "localhost:8443"));
}

TEST(TlsTunnel, AProxyThatRefusesTheTunnelFailsWithItsStatus)
{
    TlsScriptedServer proxy({{TlsStep::ReadUntil("\r\n\r\n"),
                              TlsStep::Send("HTTP/1.1 403 Forbidden\r\nContent-Length: 2\r\n\r\nno"),
                              TlsStep::CloseWithoutNotify()}});
    SecureTestClient client;
    UseProxy(client, proxy);
    MemoryStream destination;

    try {
        client.http.HttpGet("https://localhost:8443/page", destination);
        FAIL() << "fetched through a refused tunnel";
    } catch (const EIdHTTPProtocolException& error) {
        EXPECT_STREQ(error.what(), "HTTP/1.1 403 Forbidden");
        EXPECT_EQ(error.BodyText, "no");
    }
    EXPECT_EQ(destination.Data(), "");
    FinishSecureExchange(client, proxy);
}

// The certificate inside the tunnel is checked for the origin, not for the proxy.
TEST(TlsTunnel, TheOriginsCertificateIsChecked)
{
    TlsScriptedServer proxy({{TlsStep::ReadUntil("\r\n\r\n"), TlsStep::Send("HTTP/1.1 200 Connection established\r\n\r\n"),
                              TlsStep::Handshake(Certificates().addressOnly, true)}});
    SecureTestClient client;
    UseProxy(client, proxy);
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet("https://localhost:8443/page", destination), EIdOSSLCertificateRefused);
    FinishSecureExchange(client, proxy);
}
