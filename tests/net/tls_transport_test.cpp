// The secure transport where the exchange cases (tests/net/cases/tls.cases) cannot reach:
// its own settings, and a client without TLS on a TLS port.
#include "support/net/secure_test_client.h"

#include "net/errors.h"
#include "net/ssl_errors.h"

#include <fstream>

TEST(TlsTransport, AnUnreadableCAFileFailsTheFetchNamingIt)
{
    SecureTestClient client;
    client.handler->CAFile = "/nonexistent/talvira-ca.pem";
    TlsScriptedServer server({Refuse(Certificates().good)});
    MemoryStream destination;

    try {
        client.http.HttpGet(HttpsUrl(server, "/"), destination);
        FAIL() << "fetched without the CA file";
    } catch (const EIdOSSLLoadingRootCertError& error) {
        EXPECT_STREQ(error.what(), "The CA file /nonexistent/talvira-ca.pem (CAFile in the settings) cannot be used: "
                                   "No such file or directory.");
    }
    FinishSecureExchange(client, server);
}

TEST(TlsTransport, ACAFileWithoutACertificateIsRefused)
{
    const std::string notACertificate =
        (std::filesystem::temp_directory_path() / ("talvira-not-a-ca-" + std::to_string(getpid()) + ".pem")).string();
    std::ofstream(notACertificate) << "not a certificate\n";
    SecureTestClient client;
    client.handler->CAFile = notACertificate;
    TlsScriptedServer server({Refuse(Certificates().good)});
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet(HttpsUrl(server, "/"), destination), EIdOSSLLoadingRootCertError);
    FinishSecureExchange(client, server);
    std::remove(notACertificate.c_str());
}

// Plain http sent to a TLS port ends in an error, not in a wait.
TEST(TlsTransport, PlainHttpToATlsPortFails)
{
    TlsScriptedServer server({Refuse(Certificates().good)});
    HttpTestClient client;
    MemoryStream destination;

    EXPECT_THROW(client.http.HttpGet("http://127.0.0.1:" + std::to_string(server.Port()) + "/", destination),
                 EIdException);
    FinishSecureExchange(client, server);
}

// Without a secure transport an https URL is refused before anything is sent.
TEST(TlsTransport, HttpsWithoutASecureTransportIsRefused)
{
    HttpTestClient client;
    MemoryStream destination;
    EXPECT_THROW(client.http.HttpGet("https://127.0.0.1:1/", destination), EIdIOHandlerPropInvalid);
    EXPECT_FALSE(client.http.IsConnected());
}
