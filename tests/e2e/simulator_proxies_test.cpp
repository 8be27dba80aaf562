// The program's client through the simulator's own proxies (a separate program): an
// HTTP proxy for http and, with CONNECT, for https with the origin's certificate
// checked; a SOCKS5 proxy with credentials; and the services over IPv6.
#include "core/lane_client.h"
#include "core/proxy_rotation.h"
#include "net/errors.h"
#include "net/http.h"
#include "net/socks5.h"
#include "net/ssl_io_handler.h"
#include "net/streams.h"
#include "support/net/scripted_server.h"
#include "support/sim/simulator_process.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A lane of a side-by-side run goes through the proxies of the settings as the window's
// own fetch does: a proxy that refuses is passed over at once, the service is asked
// through the next one, and after three refusals in a row the first is set aside.
TEST_F(SimulatorProxies, ALanePassesOverARefusingProxyAndSetsItAside)
{
    ProxySettings settings;
    ProxyAddress refusing;
    refusing.Host = "127.0.0.1";
    refusing.Port = RefusingPort();
    ProxyAddress relay;
    relay.Host = "127.0.0.1";
    relay.Port = httpProxyPort;
    relay.Username = "alice";
    relay.Password = "secret";
    settings.Proxies = {refusing, relay};
    settings.NoProxy = {}; // the simulator is on loopback, which is asked directly by default
    ProxyRotation proxies(settings);
    ClientLaneFetcher lane(nullptr, sim.CAFile(), &proxies, 0);
    std::vector<std::string> said;
    lane.SetStatusSink([&said](std::string text) { said.push_back(std::move(text)); });
    const std::string url = sim.Root() + "/search?q=golf";
    for (int request = 0; request < 4; ++request) {
        const EngineAnswer answer = lane.Fetch(url, {});
        ASSERT_EQ(answer.What, EngineAnswer::Kind::Page) << request << ": " << answer.Text;
    }
    EXPECT_TRUE(proxies.SetAside(0));
    EXPECT_FALSE(proxies.SetAside(1));
    // The status bar names the proxy each request takes, and the one set aside.
    const auto sayings = [&said](const std::string& text) { return std::count(said.begin(), said.end(), text); };
    EXPECT_EQ(sayings("Getting URL: " + url + " through proxy " + relay.DisplayName() + "..."), 4);
    EXPECT_EQ(sayings(refusing.DisplayName() + " set aside: it failed 3 times in a row."), 1);

    // With every proxy set aside the lane's answer is unusable: nothing goes out directly.
    ProxySettings deadOnly;
    deadOnly.Proxies = {refusing};
    deadOnly.NoProxy = {};
    ProxyRotation dead(deadOnly);
    ClientLaneFetcher deadLane(nullptr, sim.CAFile(), &dead, 0);
    const EngineAnswer answer = deadLane.Fetch(sim.Root() + "/search?q=golf", {});
    EXPECT_EQ(answer.What, EngineAnswer::Kind::Unusable);
    EXPECT_TRUE(dead.AllSetAside());
}
