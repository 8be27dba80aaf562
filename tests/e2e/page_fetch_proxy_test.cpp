// Page fetches through a list of proxies: a proxy that fails is left for the next one at
// once, three failures in a row set it aside for the run, and the run stops only when
// every proxy is set aside. The proxies are scripted HTTP proxies on loopback.
#include "core/page_fetch.h"
#include "core/proxy_rotation.h"
#include "net/http.h"
#include "support/core/recording_display.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace {

const char* const Ok = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\npage";

Script Answer(const std::string& response)
{
    return {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(response), ScriptStep::Close()};
}

ProxyAddress HttpProxy(int port)
{
    ProxyAddress proxy;
    proxy.Host = "127.0.0.1";
    proxy.Port = port;
    return proxy;
}

class PageFetchProxyTest : public testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override
    {
        fetch.UseProxies(nullptr);
        std::filesystem::remove_all(folder);
    }

    void UseProxies(std::vector<ProxyAddress> proxies)
    {
        ProxySettings settings;
        settings.Proxies = std::move(proxies);
        rotation = std::make_unique<ProxyRotation>(settings);
        fetch.UseProxies(rotation.get());
    }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("talvira-proxy-fetch-" + std::to_string(::getpid()));
    TIdHTTP client;
    RecordingDisplay display;
    bool stop = false;
    PageFetch fetch{client, display, stop, (folder / "test.html").string()};
    std::unique_ptr<ProxyRotation> rotation;
};

} // namespace

// The first proxy refuses the connection: the same fetch goes through the second, which
// is asked for the absolute URL, and the status bar names it.
TEST_F(PageFetchProxyTest, ARefusingProxyGivesWayToTheNext)
{
    const int refusing = RefusingPort();
    ScriptedServer good({Answer(Ok)});
    UseProxies({HttpProxy(refusing), HttpProxy(good.Port())});
    std::string page;

    EXPECT_TRUE(fetch.FetchPage("http://origin.test/page", page));

    EXPECT_EQ(page, "page\r\n");
    EXPECT_TRUE(good.Finish());
    EXPECT_EQ(good.Received(0).rfind("GET http://origin.test:80/page HTTP/1.1\r\n", 0), 0u) << good.Received(0);
    const std::string through = "through proxy http://127.0.0.1:" + std::to_string(good.Port());
    EXPECT_TRUE(std::any_of(display.MainStatus.begin(), display.MainStatus.end(),
                            [&](const std::string& text) { return text.find(through) != std::string::npos; }));
}

// A 407 is the proxy's failure, not the service's.
TEST_F(PageFetchProxyTest, AProxyAskingForCredentialsGivesWayToTheNext)
{
    ScriptedServer asking({Answer("HTTP/1.1 407 Proxy Authentication Required\r\nContent-Length: 0\r\n\r\n")});
    ScriptedServer good({Answer(Ok)});
    UseProxies({HttpProxy(asking.Port()), HttpProxy(good.Port())});
    std::string page;

    EXPECT_TRUE(fetch.FetchPage("http://origin.test/page", page));
    EXPECT_EQ(page, "page\r\n");
}

// A refusing proxy fails once per fetch; the third failure in a row sets it aside, and
// the fetches after it go straight to the other one.
TEST_F(PageFetchProxyTest, ThreeFailuresInARowSetAProxyAside)
{
    const int refusing = RefusingPort();
    ScriptedServer good({Answer(Ok), Answer(Ok), Answer(Ok), Answer(Ok)});
    UseProxies({HttpProxy(refusing), HttpProxy(good.Port())});
    for (int fetchNumber = 1; fetchNumber <= 4; ++fetchNumber) {
        std::string page;
        EXPECT_TRUE(fetch.FetchPage("http://origin.test/" + std::to_string(fetchNumber), page)) << fetchNumber;
        EXPECT_EQ(rotation->SetAside(0), fetchNumber >= 3) << fetchNumber;
    }
    EXPECT_TRUE(good.Finish());
    const std::string note = "http://127.0.0.1:" + std::to_string(refusing) + " set aside";
    EXPECT_TRUE(std::any_of(display.MainStatus.begin(), display.MainStatus.end(),
                            [&](const std::string& text) { return text.find(note) != std::string::npos; }));
}

// A fetch that fails behind a working proxy (the service's 404) is no failure of the proxy.
TEST_F(PageFetchProxyTest, AServiceErrorIsNotTheProxysFailure)
{
    ScriptedServer proxy({Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")});
    UseProxies({HttpProxy(proxy.Port())});
    std::string page;

    EXPECT_FALSE(fetch.FetchPage("http://origin.test/page", page));
    EXPECT_FALSE(rotation->SetAside(0));
    EXPECT_TRUE(proxy.Finish());
}

TEST_F(PageFetchProxyTest, TheRunFailsWhenEveryProxyIsSetAside)
{
    UseProxies({HttpProxy(RefusingPort())});
    std::string page;

    EXPECT_FALSE(fetch.FetchPage("http://origin.test/page", page));

    EXPECT_TRUE(rotation->AllSetAside());
    EXPECT_TRUE(stop);
    EXPECT_EQ(display.MainStatus.back(), EEveryProxySetAside().what());
}
