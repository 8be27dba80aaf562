// The name lookup on its worker: the window is pumped while a name server keeps it
// waiting, Stop ends the wait at once, and a lookup given up on ends later without
// touching what the fetch left behind. The resolver is a test one that answers only
// when the test lets it.
#include "support/net/http_test_client.h"

#include "net/anti_freeze.h"
#include "net/errors.h"
#include "net/name_lookup.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Answers each name with its addresses once released; until then every lookup hangs.
class HeldResolver : public NameResolver {
public:
    std::vector<std::string> Resolve(const std::string& host) override
    {
        std::unique_lock<std::mutex> lock(FLock);
        ++FAsked;
        FChanged.notify_all();
        FChanged.wait(lock, [this] { return FReleased; });
        const auto answer = FAnswers.find(host);
        return answer == FAnswers.end() ? std::vector<std::string>{} : answer->second;
    }

    void Answer(const std::string& host, std::vector<std::string> addresses)
    {
        std::lock_guard<std::mutex> lock(FLock);
        FAnswers[host] = std::move(addresses);
    }

    void Release()
    {
        std::lock_guard<std::mutex> lock(FLock);
        FReleased = true;
        FChanged.notify_all();
    }

    int Asked()
    {
        std::lock_guard<std::mutex> lock(FLock);
        return FAsked;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::map<std::string, std::vector<std::string>> FAnswers;
    bool FReleased = false;
    int FAsked = 0;
};

// Every pump runs onPump, as the window runs a click.
struct PumpHook : MessageQueue {
    std::function<void()> onPump;
    bool MessageWaiting() override { return true; }
    void ProcessMessages() override { onPump(); }
    void HandleMessage() override { onPump(); }
};

class NameLookup : public testing::Test {
protected:
    NameLookup() : resolver(std::make_shared<HeldResolver>()) { previous = SetNameResolver(resolver); }
    ~NameLookup() override
    {
        resolver->Release();
        SetNameResolver(previous);
    }

    // Waits until every lookup given up on has ended (the resolver was released).
    static void AwaitAbandonedLookups()
    {
        while (AbandonedLookups() > 0)
            std::this_thread::yield();
    }

    std::shared_ptr<HeldResolver> resolver;
    std::shared_ptr<NameResolver> previous;
};

} // namespace

// The window is pumped while the name server says nothing, and Stop (a close from a pump)
// ends the fetch there, with the lookup still hanging.
TEST_F(NameLookup, StopEndsAWaitForANameThatNeverComes)
{
    HttpTestClient client;
    PumpHook pump;
    int pumps = 0;
    pump.onPump = [&] {
        if (++pumps == 3)
            client.http.CloseConnection();
    };
    TIdAntiFreeze antiFreeze(pump);
    antiFreeze.IdleTimeOut = 5;
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet("http://never.test/page", destination), EIdNotConnected);

    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(resolver->Asked(), 1);
    EXPECT_EQ(AbandonedLookups(), 1);
    resolver->Release();
    AwaitAbandonedLookups();
}

// The client, its connection and its anti-freeze are gone before the name server
// answers: the worker writes only into what it holds itself (ASan and TSan watch this).
TEST_F(NameLookup, ALookupGivenUpOnEndsAfterTheClientIsGone)
{
    resolver->Answer("late.test", {"127.0.0.1"});
    {
        HttpTestClient client;
        PumpHook pump;
        pump.onPump = [&] { client.http.CloseConnection(); };
        TIdAntiFreeze antiFreeze(pump);
        antiFreeze.IdleTimeOut = 5;
        MemoryStream destination;
        EXPECT_THROW(client.http.HttpGet("http://late.test/page", destination), EIdNotConnected);
    }
    resolver->Release();
    AwaitAbandonedLookups();
}

// The answer of the worker is the address connected to; the Host line keeps the name.
TEST_F(NameLookup, TheAnsweredAddressIsConnectedTo)
{
    ScriptedServer server({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
    resolver->Answer("service.test", {"127.0.0.1"});
    HttpTestClient client;
    PumpHook pump;
    pump.onPump = [&] { resolver->Release(); };
    TIdAntiFreeze antiFreeze(pump);
    antiFreeze.IdleTimeOut = 5;
    MemoryStream destination;

    client.http.HttpGet("http://service.test:" + std::to_string(server.Port()) + "/page", destination);

    EXPECT_EQ(destination.Data(), "ok");
    FinishExchange(client, server);
    EXPECT_EQ(server.Received(0), ProgramRequestHead("/page", "service.test:" + std::to_string(server.Port())));
}

TEST_F(NameLookup, AnUnknownNameIsHostNotFound)
{
    resolver->Release();
    HttpTestClient client;
    MemoryStream destination;
    try {
        client.http.HttpGet("http://unknown.test/", destination);
        FAIL() << "fetched from an unknown name";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode, 11001);
    }
}
