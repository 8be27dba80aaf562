// HTTPS client figures, each next to curl measured in the same run against the same
// loopback TLS server (OpenSSL, a certificate of a local authority made at start; see
// fetch_comparison.h):
//  1. one GET of a 100 MB body with a Content-Length, written into a file;
//  2. 1,000 sequential GETs of a small page, one connection and one full handshake each
//     (curl is given --no-sessionid, so neither client resumes a TLS session).
// Our client runs as the program configures it: the secure transport assigned, the CA
// file given as "CAFile", the body written into a file.
#include "fetch_comparison.h"
#include "local_authority.h"
#include "net/ssl_io_handler.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <openssl/ssl.h>

namespace {

constexpr int SmallPageCount = 1000;

// A connection after the TLS handshake; the answer ends with the TLS close.
class TlsPageConnection : public PageConnection {
public:
    TlsPageConnection(SSL_CTX* context, int socket) : PageConnection(socket), FSession(SSL_new(context))
    {
        SSL_set_fd(FSession, socket);
    }
    ~TlsPageConnection() override { SSL_free(FSession); }

    bool Handshake() { return SSL_accept(FSession) == 1; }
    long Read(char* into, size_t size) override { return SSL_read(FSession, into, static_cast<int>(size)); }
    long Write(const char* from, size_t size) override { return SSL_write(FSession, from, static_cast<int>(size)); }
    void End() override { SSL_shutdown(FSession); }

private:
    SSL* FSession;
};

// Every connection makes a full handshake: no session cache, no tickets.
class TlsPageTransport : public PageTransport {
public:
    explicit TlsPageTransport(const Credential& credential) : FContext(SSL_CTX_new(TLS_server_method()))
    {
        SSL_CTX_use_certificate(FContext, credential.Certificate.get());
        SSL_CTX_use_PrivateKey(FContext, credential.Key.get());
        SSL_CTX_set_session_cache_mode(FContext, SSL_SESS_CACHE_OFF);
        SSL_CTX_set_num_tickets(FContext, 0);
    }
    ~TlsPageTransport() override { SSL_CTX_free(FContext); }

    std::string Scheme() const override { return "https"; }
    std::unique_ptr<PageConnection> Open(int socket) override
    {
        auto connection = std::make_unique<TlsPageConnection>(FContext, socket);
        if (!connection->Handshake())
            return nullptr;
        return connection;
    }

private:
    SSL_CTX* FContext;
};

} // namespace

int main()
{
    // The server writes with write(): a client that has gone must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    if (!CurlIsThere())
        return 1;
    const BenchFiles files("https_bench");
    const std::string caFile = files.In("ca.pem");

    LocalAuthority authority("https_bench local CA");
    authority.WriteCertificate(caFile);
    PageServer server(std::make_unique<TlsPageTransport>(authority.Issue({"127.0.0.1", "localhost"})));
    BenchClient client;
    auto secure = std::make_shared<TIdSSLIOHandlerSocket>();
    secure->CAFile = caFile;
    client.http.SetIOHandler(secure);

    // 1. A 100 MB body, alternating the two clients round by round.
    const Medians body = CompareLargeBody(client.http, server, " --cacert '" + caFile + "'", files);
    std::printf("100 MB body over TLS into a file, median of %d: ours %.0f MB/s, curl %.0f MB/s: %.0f%% of curl "
                "(target 90%%)\n",
                Rounds, body.ours / 1e6, body.curl / 1e6, 100.0 * body.ours / body.curl);

    // 2. Small pages, one connection and one full handshake each.
    const Medians pages =
        CompareSmallPages(client.http, server, SmallPageCount,
                          "header = \"Connection: close\"\ncacert = \"" + caFile + "\"\nno-sessionid\n", files);
    std::printf("%d https pages, a connection and a handshake each, median of %d: ours %.0f/s, curl %.0f/s: %.0f%% "
                "of curl (target 80%%)\n",
                SmallPageCount, Rounds, pages.ours, pages.curl, 100.0 * pages.ours / pages.curl);
    return 0;
}
