// A name with several addresses: IPv6 first, then IPv4; an address that refuses gives way
// to the next at once, one that does not answer gives way after a short delay while it
// stays in play, and the fetch fails only when every address failed. The names come from
// a test resolver.
#include "support/net/http_test_client.h"

#include "net/errors.h"
#include "net/name_lookup.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>

namespace {

class FixedResolver : public NameResolver {
public:
    explicit FixedResolver(std::map<std::string, std::vector<std::string>> answers) : FAnswers(std::move(answers)) {}
    std::vector<std::string> Resolve(const std::string& host) override
    {
        const auto answer = FAnswers.find(host);
        return answer == FAnswers.end() ? std::vector<std::string>{} : answer->second;
    }

private:
    const std::map<std::string, std::vector<std::string>> FAnswers;
};

class ConnectAddresses : public testing::Test {
protected:
    void Answer(std::map<std::string, std::vector<std::string>> answers)
    {
        previous = SetNameResolver(std::make_shared<FixedResolver>(std::move(answers)));
    }
    ~ConnectAddresses() override { SetNameResolver(previous); }

    std::shared_ptr<NameResolver> previous;
};

const char* const Ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

} // namespace

// IPv6 is tried first, even when the resolver names IPv4 first: both answer, and the
// body tells which one was asked.
TEST_F(ConnectAddresses, Ipv6IsTriedFirst)
{
    ScriptedServer v4({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nv4")});
    auto v6 = ScriptedServer::OnIPv6({Exchange("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nv6")}, v4.Port());
    Answer({{"dual.test", {"127.0.0.1", "::1"}}});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet("http://dual.test:" + std::to_string(v4.Port()) + "/", destination);

    EXPECT_EQ(destination.Data(), "v6");
    FinishExchange(client, *v6);
}

// Nothing listens on the IPv6 address: its refusal moves on to IPv4.
TEST_F(ConnectAddresses, ARefusedAddressGivesWayToTheNext)
{
    ScriptedServer v4({Exchange(Ok)});
    Answer({{"dual.test", {"::1", "127.0.0.1"}}});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet("http://dual.test:" + std::to_string(v4.Port()) + "/", destination);

    EXPECT_EQ(destination.Data(), "ok");
    FinishExchange(client, v4);
}

// The IPv6 address takes the connect but never answers it: the IPv4 one is started
// beside it and wins.
TEST_F(ConnectAddresses, AnAddressThatDoesNotAnswerGivesWayWhileItStaysInPlay)
{
    ScriptedServer v4({Exchange(Ok)});
    const UnansweredPort silent(Loopback::IPv6, v4.Port());
    Answer({{"dual.test", {"::1", "127.0.0.1"}}});
    HttpTestClient client;
    MemoryStream destination;

    client.http.HttpGet("http://dual.test:" + std::to_string(v4.Port()) + "/", destination);

    EXPECT_EQ(destination.Data(), "ok");
    FinishExchange(client, v4);
}

TEST_F(ConnectAddresses, EveryAddressRefusingFailsWithTheRefusal)
{
    const int port = RefusingPort();
    Answer({{"dual.test", {"::1", "127.0.0.1"}}});
    HttpTestClient client;
    MemoryStream destination;
    try {
        client.http.HttpGet("http://dual.test:" + std::to_string(port) + "/", destination);
        FAIL() << "connected to a name whose addresses all refuse";
    } catch (const EIdConnectException& error) {
        EXPECT_NE(std::string(error.what()).find("10061"), std::string::npos) << error.what();
    }
}
