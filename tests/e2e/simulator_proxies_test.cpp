// The program's client through the simulator's own proxies (a separate program): an
// HTTP proxy for http and, with CONNECT, for https with the origin's certificate
// checked; a SOCKS5 proxy with credentials; and the services over IPv6.
#include "net/errors.h"
#include "net/http.h"
#include "net/socks5.h"
#include "net/ssl_io_handler.h"
#include "net/streams.h"
#include "support/net/scripted_server.h"
#include "support/sim/simulator_process.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SimulatorProxies : public testing::Test {
protected:
    SimulatorProxies()
    {
        client.HandleRedirects = true;
        secure->CAFile = sim.CAFile();
        client.SetIOHandler(secure);
    }

    void Through(ProxyKind kind, int port, const std::string& credentials)
    {
        client.ProxyParams.SetProxyServer("127.0.0.1");
        client.ProxyParams.SetProxyPort(port);
        client.ProxyParams.Kind = kind;
        const size_t colon = credentials.find(':');
        client.ProxyParams.ProxyUsername = credentials.substr(0, colon);
        client.ProxyParams.ProxyPassword = colon == std::string::npos ? "" : credentials.substr(colon + 1);
        client.ProxyParams.BasicAuthentication = kind == ProxyKind::Http && !credentials.empty();
    }

    const int httpProxyPort = RefusingPort();
    const int socksPort = RefusingPort();
    SimulatorProcess sim{{"--ipv6", "--proxy-port", std::to_string(httpProxyPort), "--socks-port",
                          std::to_string(socksPort), "--proxy-user", "alice:secret"}};
    TIdHTTP client;
    std::shared_ptr<TIdSSLIOHandlerSocket> secure = std::make_shared<TIdSSLIOHandlerSocket>();
    MemoryStream page;
};

} // namespace

TEST_F(SimulatorProxies, HttpAndHttpsThroughTheHttpProxy)
{
    Through(ProxyKind::Http, httpProxyPort, "alice:secret");
    client.HttpGet(sim.Root() + "/search?q=golf", page);
    EXPECT_EQ(client.StatusLine(), "HTTP/1.1 200 OK");
    client.CloseConnection();

    client.HttpGet(sim.HttpsRoot() + "/search?q=golf", page);
    EXPECT_EQ(client.StatusLine(), "HTTP/1.1 200 OK");
    EXPECT_TRUE(secure->Encrypted());
}

TEST_F(SimulatorProxies, WithoutCredentialsTheHttpProxyRefusesAndIsNamed)
{
    Through(ProxyKind::Http, httpProxyPort, "");
    try {
        client.HttpGet(sim.Root() + "/search?q=golf", page);
        FAIL() << "the proxy let the request through";
    } catch (const EIdProxyAuthenticationRequired& error) {
        EXPECT_NE(std::string(error.what()).find("127.0.0.1:" + std::to_string(httpProxyPort)), std::string::npos);
    }
}

TEST_F(SimulatorProxies, ThroughTheSocksProxyBothWays)
{
    for (const ProxyKind kind : {ProxyKind::Socks5, ProxyKind::Socks5Remote}) {
        Through(kind, socksPort, "alice:secret");
        client.HttpGet("http://localhost:" + std::to_string(sim.Port()) + "/search?q=golf", page);
        EXPECT_EQ(client.StatusLine(), "HTTP/1.1 200 OK");
        client.CloseConnection();
    }
    Through(ProxyKind::Socks5Remote, socksPort, "alice:wrong");
    EXPECT_THROW(client.HttpGet(sim.Root() + "/search?q=golf", page), EIdSocksError);
}

TEST_F(SimulatorProxies, TheServicesAnswerOverIpv6)
{
    client.HttpGet("http://[::1]:" + std::to_string(sim.Port()) + "/search?q=golf", page);
    EXPECT_EQ(client.StatusLine(), "HTTP/1.1 200 OK");
}
