// The program's client with a secure transport, for tests against the TLS peer, and the
// certificates of one test run: made at test time by a local authority whose
// certificate alone is written to a file (the client's CAFile). No key is ever stored.
#pragma once

#include "support/net/http_test_client.h"
#include "support/net/tls_scripted_server.h"

#include "net/ssl_io_handler.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <utility>
#include <string>
#include <unistd.h>
#include <vector>

inline const std::vector<std::string> LoopbackNames = {"127.0.0.1", "localhost"};

struct TestCertificates {
    TestCertificates() { authority.WriteCertificate(caFile); }
    ~TestCertificates() { std::remove(caFile.c_str()); }

    LocalAuthority authority{"Talvira Test CA"};
    std::string caFile =
        (std::filesystem::temp_directory_path() / ("talvira-test-ca-" + std::to_string(getpid()) + ".pem")).string();
    Credential good = authority.Issue(LoopbackNames);
    // 2020-01-01 to 2021-01-01 and 2098-01-01 to 2099-01-01, all at 00:00 UTC.
    Credential expired = authority.IssueBetween(LoopbackNames, 1577836800, 1609459200);
    Credential notYetValid = authority.IssueBetween(LoopbackNames, 4039372800, 4070908800);
    Credential otherHost = authority.Issue({"www.example.test"});
    Credential addressOnly = authority.Issue({"127.0.0.1"});
    Credential ipv6Only = authority.Issue({"::1"});
    Credential selfSigned = LocalAuthority::SelfSigned(LoopbackNames);
    Credential unknownAuthority = LocalAuthority("Unknown Test CA").Issue(LoopbackNames);
};

inline const TestCertificates& Certificates()
{
    static const TestCertificates certificates;
    return certificates;
}

// A test credential by the name the exchange cases use; raises std::invalid_argument for
// an unknown name.
inline const Credential& CertificateNamed(const std::string& name)
{
    const TestCertificates& c = Certificates();
    const std::pair<const char*, const Credential*> named[] = {
        {"good", &c.good},
        {"expired", &c.expired},
        {"not-yet-valid", &c.notYetValid},
        {"other-host", &c.otherHost},
        {"address-only", &c.addressOnly},
        {"ipv6-only", &c.ipv6Only},
        {"self-signed", &c.selfSigned},
        {"unknown-authority", &c.unknownAuthority},
    };
    for (const auto& [certificateName, credential] : named) {
        if (name == certificateName)
            return *credential;
    }
    throw std::invalid_argument("unknown certificate: " + name);
}

// Trusts the test authority besides the system's store.
struct SecureTestClient : HttpTestClient {
    SecureTestClient()
    {
        handler->CAFile = Certificates().caFile;
        http.SetIOHandler(handler);
    }

    std::shared_ptr<TIdSSLIOHandlerSocket> handler = std::make_shared<TIdSSLIOHandlerSocket>();
};

inline std::string HttpsUrl(const TlsScriptedServer& server, const std::string& path,
                            const std::string& host = "127.0.0.1")
{
    return "https://" + host + ":" + std::to_string(server.Port()) + path;
}

// The exact head of a GET of target, as the TLS peer reads it in the clear.
inline std::string HeadFor(const TlsScriptedServer& server, const std::string& target,
                           const std::string& host = "127.0.0.1", const std::string& cookie = {})
{
    return ProgramRequestHead(target, host + ":" + std::to_string(server.Port()),
                              cookie.empty() ? "" : "Cookie: " + cookie + "\r\n");
}

// Handshake, one request in, the reply out, then the ending (the TLS close by default).
inline TlsScript Answer(const Credential& credential, std::string reply, TlsStep ending = TlsStep::CloseNotify())
{
    return {TlsStep::Handshake(credential), TlsStep::ReadUntil("\r\n\r\n"), TlsStep::Send(std::move(reply)),
            std::move(ending)};
}

// A handshake the client must refuse.
inline TlsScript Refuse(const Credential& credential)
{
    return {TlsStep::Handshake(credential, true)};
}

inline std::string Ok(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

inline void FinishSecureExchange(HttpTestClient& client, TlsScriptedServer& server)
{
    client.http.CloseConnection();
    EXPECT_TRUE(server.Finish());
    EXPECT_EQ(server.Failures(), std::vector<std::string>{});
}
