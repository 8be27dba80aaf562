// The exchange cases of tests/net/cases: each is played by scripted servers on loopback
// and, when it needs no holds, drips, pumps or connect worker, through the in-memory
// transport as well; both must give the same request bytes and the same endings.
#include "exchange_case.h"

#include "net/anti_freeze.h"
#include "net/errors.h"
#include "net/http.h"
#include "net/socket_layer.h"
#include "net/socks5.h"
#include "net/streams.h"
#include "support/net/memory_transport.h"
#include "support/net/request_head.h"
#include "support/net/scripted_server.h"
#include "support/net/secure_test_client.h"
#include "net/ssl_errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <typeinfo>

namespace {

const std::vector<ExchangeCase>& AllCases()
{
    static const std::vector<ExchangeCase> cases = LoadExchangeCases(TALVIRA_EXCHANGE_CASES);
    return cases;
}

std::vector<ExchangeCase> CasesInMemory()
{
    std::vector<ExchangeCase> cases;
    for (const ExchangeCase& c : AllCases()) {
        if (c.PlayableInMemory())
            cases.push_back(c);
    }
    return cases;
}

int32_t PortOf(const CaseConnection& connection, const CasePorts& ports)
{
    return connection.server == 0 ? ports.first : ports.second;
}

// The request bytes the connection must receive, in order.
std::string ExpectedRequests(const CaseConnection& connection, const CasePorts& ports)
{
    std::string expected;
    for (const CaseStep& step : connection.steps) {
        if (step.kind == CaseStep::Kind::Request) {
            const std::string extra = step.extraHeader.empty() ? "" : ExpandCaseBytes(step.extraHeader, ports) + "\r\n";
            expected += ProgramRequestHead(ExpandCaseBytes(step.text, ports),
                                           "127.0.0.1:" + std::to_string(PortOf(connection, ports)), extra);
        } else if (step.kind == CaseStep::Kind::RequestRaw || step.kind == CaseStep::Kind::ReadRaw) {
            expected += ExpandCaseBytes(step.text, ports);
        }
    }
    return expected;
}

Script ServerScript(const CaseConnection& connection, const CasePorts& ports)
{
    Script script;
    for (const CaseStep& step : connection.steps) {
        switch (step.kind) {
        case CaseStep::Kind::Request:
        case CaseStep::Kind::RequestRaw:
            script.push_back(ScriptStep::ReadUntil("\r\n\r\n"));
            break;
        case CaseStep::Kind::ReadRaw:
            script.push_back(ScriptStep::Read(ExpandCaseBytes(step.text, ports).size()));
            break;
        case CaseStep::Kind::Send:
            script.push_back(ScriptStep::Send(ExpandCaseBytes(step.text, ports)));
            break;
        case CaseStep::Kind::Drip:
            script.push_back(ScriptStep::Drip(ExpandCaseBytes(step.text, ports)));
            break;
        case CaseStep::Kind::Hold:
            script.push_back(ScriptStep::Hold(step.text));
            break;
        case CaseStep::Kind::Close:
            script.push_back(ScriptStep::Close());
            break;
        case CaseStep::Kind::Reset:
            script.push_back(ScriptStep::Reset());
            break;
        case CaseStep::Kind::Hello:
        case CaseStep::Kind::Handshake:
        case CaseStep::Kind::Refuse:
        case CaseStep::Kind::Cut:
        case CaseStep::Kind::SendRaw:
            // Only in TLS cases, which the TLS peer plays.
            break;
        }
    }
    return script;
}

// The same for the TLS peer: "close" is the TLS close, "cut" a close without it.
TlsScript TlsServerScript(const CaseConnection& connection, const CasePorts& ports)
{
    TlsScript script;
    for (const CaseStep& step : connection.steps) {
        switch (step.kind) {
        case CaseStep::Kind::Request:
        case CaseStep::Kind::RequestRaw:
            script.push_back(TlsStep::ReadUntil("\r\n\r\n"));
            break;
        case CaseStep::Kind::ReadRaw:
            script.push_back(TlsStep::Read(ExpandCaseBytes(step.text, ports).size()));
            break;
        case CaseStep::Kind::Send:
            script.push_back(TlsStep::Send(ExpandCaseBytes(step.text, ports)));
            break;
        case CaseStep::Kind::SendRaw:
            script.push_back(TlsStep::SendRaw(ExpandCaseBytes(step.text, ports)));
            break;
        case CaseStep::Kind::Hello:
            script.push_back(TlsStep::AwaitHello());
            break;
        case CaseStep::Kind::Hold:
            script.push_back(TlsStep::Hold(step.text));
            break;
        case CaseStep::Kind::Handshake:
        case CaseStep::Kind::Refuse:
            script.push_back(TlsStep::Handshake(CertificateNamed(step.text), step.kind == CaseStep::Kind::Refuse));
            break;
        case CaseStep::Kind::Close:
            script.push_back(TlsStep::CloseNotify());
            break;
        case CaseStep::Kind::Cut:
            script.push_back(TlsStep::CloseWithoutNotify());
            break;
        case CaseStep::Kind::Reset:
            script.push_back(TlsStep::Reset());
            break;
        case CaseStep::Kind::Drip:
            break;
        }
    }
    return script;
}

// Whether the error is of the class the case names (or derives from it).
bool ErrorIs(const std::exception& error, const std::string& name)
{
    const std::pair<const char*, std::function<bool(const std::exception&)>> classes[] = {
        {"EIdException", [](const std::exception& e) { return dynamic_cast<const EIdException*>(&e) != nullptr; }},
        {"EIdHTTPProtocolException",
         [](const std::exception& e) { return dynamic_cast<const EIdHTTPProtocolException*>(&e) != nullptr; }},
        {"EIdConnClosedGracefully",
         [](const std::exception& e) { return dynamic_cast<const EIdConnClosedGracefully*>(&e) != nullptr; }},
        {"EIdNotConnected", [](const std::exception& e) { return dynamic_cast<const EIdNotConnected*>(&e) != nullptr; }},
        {"EIdReadTimeout", [](const std::exception& e) { return dynamic_cast<const EIdReadTimeout*>(&e) != nullptr; }},
        {"EIdReadLnMaxLineLengthExceeded",
         [](const std::exception& e) { return dynamic_cast<const EIdReadLnMaxLineLengthExceeded*>(&e) != nullptr; }},
        {"EIdIOHandlerPropInvalid",
         [](const std::exception& e) { return dynamic_cast<const EIdIOHandlerPropInvalid*>(&e) != nullptr; }},
        {"EIdUnknownProtocol", [](const std::exception& e) { return dynamic_cast<const EIdUnknownProtocol*>(&e) != nullptr; }},
        {"EIdInvalidRequest", [](const std::exception& e) { return dynamic_cast<const EIdInvalidRequest*>(&e) != nullptr; }},
        {"EIdSocksError", [](const std::exception& e) { return dynamic_cast<const EIdSocksError*>(&e) != nullptr; }},
        {"EIdProxyAuthenticationRequired",
         [](const std::exception& e) { return dynamic_cast<const EIdProxyAuthenticationRequired*>(&e) != nullptr; }},
        {"EIdInvalidResponse",
         [](const std::exception& e) { return dynamic_cast<const EIdInvalidResponse*>(&e) != nullptr; }},
        {"EIdSocketError", [](const std::exception& e) { return dynamic_cast<const EIdSocketError*>(&e) != nullptr; }},
        {"EIdConnectException",
         [](const std::exception& e) { return dynamic_cast<const EIdConnectException*>(&e) != nullptr; }},
        {"EConvertError", [](const std::exception& e) { return dynamic_cast<const EConvertError*>(&e) != nullptr; }},
        {"EIdOpenSSLError", [](const std::exception& e) { return dynamic_cast<const EIdOpenSSLError*>(&e) != nullptr; }},
        {"EIdOSSLConnectError",
         [](const std::exception& e) { return dynamic_cast<const EIdOSSLConnectError*>(&e) != nullptr; }},
        {"EIdOSSLCertificateRefused",
         [](const std::exception& e) { return dynamic_cast<const EIdOSSLCertificateRefused*>(&e) != nullptr; }},
        {"EIdOSSLConnectionCut",
         [](const std::exception& e) { return dynamic_cast<const EIdOSSLConnectionCut*>(&e) != nullptr; }},
        {"EIdOSSLDataError", [](const std::exception& e) { return dynamic_cast<const EIdOSSLDataError*>(&e) != nullptr; }},
    };
    for (const auto& [className, isOfClass] : classes) {
        if (name == className)
            return isOfClass(error);
    }
    ADD_FAILURE() << "the runner does not know the error class " << name;
    return false;
}

// The anti-freeze's clock in a case: it stands, or moves on a fixed step at every look.
struct CaseClock {
    int64_t now = 0;
    int64_t step = 0;
};

// The program's message queue as a case sees it: every pump is noted on the case's
// clock, and the pump named by the case's stop closes the connection, as the Stop
// button handled in a pump does.
class CaseMessages : public MessageQueue {
public:
    bool MessageWaiting() override { return true; }
    void ProcessMessages() override { Pump(); }
    void HandleMessage() override { Pump(); }

    std::function<bool()> stopNow;
    std::function<void()> stop;
    const CaseClock* clock = nullptr;
    std::vector<int64_t> pumpTimes;
    bool stopped = false;
    int64_t stopTime = 0;

private:
    void Pump()
    {
        pumpTimes.push_back(clock->now);
        if (!stopped && stopNow()) {
            stopped = true;
            stopTime = clock->now;
            stop();
        }
    }
};

// The client of a case with its work events written down.
struct CaseClient {
    explicit CaseClient(const ExchangeCase& c)
    {
        http.HandleRedirects = c.handleRedirects;
        http.ProtocolVersion = c.version;
        if (c.recvBufferSize)
            http.RecvBufferSize = *c.recvBufferSize;
        http.OnWorkBegin = [this](TIdComponent&, TWorkMode mode, int32_t max) {
            EXPECT_EQ(mode, wmRead);
            begins.push_back(max);
        };
        http.OnWorkEnd = [this](TIdComponent&, TWorkMode) { ++ends; };
    }

    TIdHTTP http;
    std::vector<int32_t> begins;
    int ends = 0;
};

// Runs the fetches of a case and checks what each ends with.
void RunFetches(const ExchangeCase& c, const CasePorts& ports, CaseClient& client, const CaseClock& clock,
                CaseMessages* messages, const TIdIOHandlerSocket* workerTransport)
{
    if (c.throughProxy) {
        client.http.ProxyParams.SetProxyServer("127.0.0.1");
        client.http.ProxyParams.SetProxyPort(ports.first);
        client.http.ProxyParams.Kind = c.proxyKind;
    }
    if (!c.proxyUser.empty()) {
        const size_t colon = c.proxyUser.find(':');
        client.http.ProxyParams.BasicAuthentication = true;
        client.http.ProxyParams.ProxyUsername = c.proxyUser.substr(0, colon);
        client.http.ProxyParams.ProxyPassword = c.proxyUser.substr(colon + 1);
    }
    client.http.Request().BasicAuthentication = c.basicAuth;
    for (const CaseFetch& fetch : c.fetches) {
        SCOPED_TRACE(c.file + ".cases, fetch at line " + std::to_string(fetch.line));
        const std::string before = ExpandCaseBytes(fetch.destinationBefore, ports);
        MemoryStream destination(before);
        destination.SetPosition(destination.Size());
        client.begins.clear();
        client.ends = 0;
        const size_t firstPump = messages ? messages->pumpTimes.size() : 0;
        const int64_t start = clock.now;

        bool raised = false;
        try {
            client.http.HttpGet(ExpandCaseBytes(fetch.url, ports), destination);
        } catch (const std::exception& error) {
            raised = true;
            if (!fetch.errorClass) {
                ADD_FAILURE() << "raised " << typeid(error).name() << ": " << error.what();
            } else {
                EXPECT_TRUE(ErrorIs(error, *fetch.errorClass)) << typeid(error).name() << ": " << error.what();
                EXPECT_EQ(error.what(), ExpandCaseBytes(*fetch.errorMessage, ports));
            }
            const auto* status = dynamic_cast<const EIdHTTPProtocolException*>(&error);
            if (fetch.replyCode) {
                EXPECT_EQ(status ? status->ReplyCode : 0, *fetch.replyCode);
            }
            if (fetch.errorPage) {
                EXPECT_EQ(status ? status->BodyText : "(no status error)", ExpandCaseBytes(*fetch.errorPage, ports));
            }
            if (fetch.errorPageLength) {
                EXPECT_NE(status, nullptr);
                EXPECT_LE(status ? static_cast<int64_t>(status->BodyText.size()) : 0, *fetch.errorPageLength);
            }
        }
        const int64_t end = clock.now;

        EXPECT_EQ(raised, fetch.errorClass.has_value()) << "expected " << fetch.errorClass.value_or("no error");
        if (fetch.bodyLength) {
            EXPECT_LE(destination.Size(), *fetch.bodyLength);
        } else {
            EXPECT_EQ(destination.Data(), fetch.body ? ExpandCaseBytes(*fetch.body, ports) : before);
        }
        if (fetch.statusLine) {
            EXPECT_EQ(client.http.StatusLine(), ExpandCaseBytes(*fetch.statusLine, ports));
        }
        if (fetch.workBegins) {
            EXPECT_EQ(client.begins, *fetch.workBegins);
        }
        if (fetch.workEnds) {
            EXPECT_EQ(client.ends, *fetch.workEnds);
        }
        if (fetch.connected) {
            EXPECT_EQ(client.http.IsConnected(), *fetch.connected);
        }
        if (fetch.connectUsedWorker) {
            EXPECT_EQ(workerTransport != nullptr && workerTransport->LastConnectUsedWorker(), *fetch.connectUsedWorker);
        }
        if (fetch.peakBuffer) {
            EXPECT_LE(client.http.InputBuffer().Capacity(), *fetch.peakBuffer);
        }
        if (fetch.peakDestination) {
            EXPECT_LE(destination.PeakSize(), *fetch.peakDestination);
        }
        if (fetch.stoppedWithin) {
            ASSERT_NE(messages, nullptr);
            EXPECT_TRUE(messages->stopped) << "the stop never came";
            EXPECT_LE(end - messages->stopTime, *fetch.stoppedWithin) << "ms on the case's clock";
        }
        if (fetch.pumpGapsWithin) {
            ASSERT_NE(messages, nullptr);
            int64_t last = start;
            for (size_t i = firstPump; i < messages->pumpTimes.size(); ++i) {
                EXPECT_LE(messages->pumpTimes[i] - last, *fetch.pumpGapsWithin) << "before pump " << i + 1;
                last = messages->pumpTimes[i];
            }
            EXPECT_GT(messages->pumpTimes.size(), firstPump) << "no pump at all";
        }
    }
}

class ExchangeOnLoopback : public testing::TestWithParam<ExchangeCase> {};
class ExchangeInMemory : public testing::TestWithParam<ExchangeCase> {};

std::string NameOf(const testing::TestParamInfo<ExchangeCase>& info)
{
    return info.param.TestName();
}

} // namespace

// Plays a case on two servers of the given kind (plain or TLS), whose scripts are made
// from the case's connections by makeScript.
template <typename Server, typename MakeScript>
void PlayOnLoopback(const ExchangeCase& c, MakeScript makeScript)
{
    const std::unique_ptr<Server> listening[2] = {Server::Listening(), Server::Listening()};
    Server& first = *listening[0];
    Server& second = *listening[1];
    Server* const servers[2] = {&first, &second};
    const CasePorts ports{first.Port(), second.Port()};
    std::vector<decltype(makeScript(c.connections.front(), ports))> scripts[2];
    std::vector<std::string> holds;
    for (const CaseConnection& connection : c.connections) {
        scripts[connection.server].push_back(makeScript(connection, ports));
        for (const CaseStep& step : connection.steps) {
            if (step.kind == CaseStep::Kind::Hold)
                holds.push_back(step.text);
        }
    }
    first.Start(scripts[0]);
    second.Start(scripts[1]);

    CaseClient client(c);
    std::shared_ptr<TIdIOHandlerSocket> workerTransport;
    if (c.tls) {
        auto secure = std::make_shared<TIdSSLIOHandlerSocket>();
        secure->CAFile = Certificates().caFile;
        workerTransport = secure;
    } else if (c.connectThroughWorker) {
        workerTransport = std::make_shared<TIdIOHandlerSocket>();
    }
    if (workerTransport) {
        workerTransport->TryConnectAtOnce = !c.connectThroughWorker;
        client.http.SetIOHandler(workerTransport);
    }

    CaseClock clock{0, c.clockStep};
    CaseMessages messages;
    messages.clock = &clock;
    messages.stop = [&] { client.http.CloseConnection(); };
    // The phase is told by what the client has read: no header line of the response yet
    // while a server stalls after reading the request, a header line but no body, a body
    // read under way. The first pump that sees the server stall may still be the one after
    // the request's last send; the next one is in the wait for the status line.
    int stallsSeen = 0;
    messages.stopNow = [&] {
        const bool headerLineRead = client.http.Response().RawLines.Count() > 0;
        const bool readingBody = client.http.Tally(wmRead).Depth > 0;
        switch (c.stop) {
        case ExchangeCase::Stop::Never:
            return false;
        case ExchangeCase::Stop::InStatusLine:
            if ((first.IsStalling() || second.IsStalling()) && !headerLineRead && !readingBody)
                ++stallsSeen;
            return stallsSeen == 2;
        case ExchangeCase::Stop::InHeaders:
            return headerLineRead && !readingBody;
        case ExchangeCase::Stop::InBody:
            return readingBody;
        }
        return false;
    };
    std::unique_ptr<TIdAntiFreeze> antiFreeze;
    if (c.antiFreezeSlice) {
        antiFreeze = std::make_unique<TIdAntiFreeze>(messages);
        antiFreeze->IdleTimeOut = *c.antiFreezeSlice;
        antiFreeze->SetClock([&clock] { return clock.now += clock.step; });
    }

    RunFetches(c, ports, client, clock, antiFreeze ? &messages : nullptr,
               c.connectThroughWorker ? workerTransport.get() : nullptr);
    if (c.stop != ExchangeCase::Stop::Never) {
        EXPECT_TRUE(messages.stopped) << "the stop never came";
    }

    client.http.CloseConnection();
    for (const std::string& hold : holds) {
        first.Release(hold);
        second.Release(hold);
    }
    size_t played[2] = {0, 0};
    for (Server* server : servers) {
        EXPECT_TRUE(server->Finish()) << "a scripted connection was never made";
        EXPECT_EQ(server->Failures(), std::vector<std::string>{});
    }
    for (size_t i = 0; i < c.connections.size(); ++i) {
        const CaseConnection& connection = c.connections[i];
        EXPECT_EQ(servers[connection.server]->Received(played[connection.server]++), ExpectedRequests(connection, ports))
            << "connection " << i + 1;
    }
}

TEST_P(ExchangeOnLoopback, EndsAsWritten)
{
    const ExchangeCase& c = GetParam();
    ASSERT_EQ(c.problem, "") << c.file << ".cases";
    if (c.tls)
        PlayOnLoopback<TlsScriptedServer>(c, TlsServerScript);
    else
        PlayOnLoopback<ScriptedServer>(c, ServerScript);
}

TEST_P(ExchangeInMemory, EndsAsOnLoopback)
{
    const ExchangeCase& c = GetParam();
    ASSERT_EQ(c.problem, "") << c.file << ".cases";

    // Any two ports do: nothing listens on them.
    const CasePorts ports{8001, 8002};
    std::vector<MemoryTransport::Peer> peers;
    for (const CaseConnection& connection : c.connections) {
        MemoryTransport::Peer peer;
        peer.Port = PortOf(connection, ports);
        peer.Ending = MemoryTransport::Peer::End::StaysOpen;
        for (const CaseStep& step : connection.steps) {
            if (step.kind == CaseStep::Kind::Send)
                peer.Reply += ExpandCaseBytes(step.text, ports);
            else if (step.kind == CaseStep::Kind::Close)
                peer.Ending = MemoryTransport::Peer::End::Close;
            else if (step.kind == CaseStep::Kind::Reset)
                peer.Ending = MemoryTransport::Peer::End::Reset;
        }
        peers.push_back(std::move(peer));
    }
    auto transport = std::make_shared<MemoryTransport>(std::move(peers));

    CaseClient client(c);
    client.http.SetIOHandler(transport);
    const CaseClock clock;
    RunFetches(c, ports, client, clock, nullptr, nullptr);

    EXPECT_EQ(transport->Connections(), c.connections.size());
    for (size_t i = 0; i < c.connections.size(); ++i)
        EXPECT_EQ(transport->Peers()[i].Received, ExpectedRequests(c.connections[i], ports)) << "connection " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeOnLoopback, testing::ValuesIn(AllCases()), NameOf);
INSTANTIATE_TEST_SUITE_P(Cases, ExchangeInMemory, testing::ValuesIn(CasesInMemory()), NameOf);
