// HTTPS client figures, each next to curl measured in the same run against the same
// loopback TLS server (OpenSSL, a certificate of a local authority made at start):
//  1. one GET of a 100 MB body with a Content-Length, written into a file;
//  2. 1,000 sequential GETs of a small page, one connection and one full handshake each
//     (the server answers with "Connection: close" and closes; curl gets every URL on
//     one command line with --no-sessionid, so neither client resumes a TLS session,
//     and curl pays for one process start).
// Our client runs as the program configures it: the secure transport assigned, the CA
// file given as "CAFile", an anti-freeze in place, the body written into a file.
#include "local_authority.h"
#include "net/anti_freeze.h"
#include "net/http.h"
#include "net/ssl_io_handler.h"
#include "net/streams.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t LargeBodySize = 100LL * 1024 * 1024;
constexpr int SmallPageCount = 1000;
constexpr int Rounds = 5;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A loopback TLS server on its own thread: every connection gets one response to one
// request, the TLS close, and is then closed.
class TlsPageServer {
public:
    explicit TlsPageServer(const Credential& credential)
    {
        FContext = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(FContext, credential.Certificate.get());
        SSL_CTX_use_PrivateKey(FContext, credential.Key.get());
        SSL_CTX_set_session_cache_mode(FContext, SSL_SESS_CACHE_OFF);
        SSL_CTX_set_num_tickets(FContext, 0);

        FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const int reuse = 1;
        setsockopt(FListener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
        if (bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(FListener, 128) != 0 ||
            getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("listen");
            std::exit(1);
        }
        FPort = ntohs(address.sin_port);
        FBlock.assign(1 << 20, 'x');
        FThread = std::thread([this] { Run(); });
    }

    ~TlsPageServer()
    {
        FStopping = true;
        shutdown(FListener, SHUT_RDWR);
        FThread.join();
        close(FListener);
        SSL_CTX_free(FContext);
    }

    std::string Url(const std::string& path) const { return "https://127.0.0.1:" + std::to_string(FPort) + path; }

private:
    void Run()
    {
        for (;;) {
            const int connection = accept(FListener, nullptr, nullptr);
            if (connection < 0 || FStopping)
                break;
            SSL* session = SSL_new(FContext);
            SSL_set_fd(session, connection);
            if (SSL_accept(session) == 1 && Serve(session))
                SSL_shutdown(session);
            SSL_free(session);
            shutdown(connection, SHUT_WR);
            // Wait for the client's close, so that our close never resets the connection.
            char rest[4096];
            while (recv(connection, rest, sizeof rest, 0) > 0) {
            }
            close(connection);
        }
    }

    bool Serve(SSL* session)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int n = SSL_read(session, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            request.append(buffer, static_cast<size_t>(n));
        }
        const bool large = request.compare(0, 10, "GET /large") == 0;
        const int64_t size = large ? LargeBodySize : 13;
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) +
                                 "\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";
        if (!SendAll(session, head.data(), static_cast<int64_t>(head.size())))
            return false;
        if (!large)
            return SendAll(session, "<html></html>", 13);
        for (int64_t left = size; left > 0;) {
            const int64_t piece = std::min<int64_t>(left, static_cast<int64_t>(FBlock.size()));
            if (!SendAll(session, FBlock.data(), piece))
                return false;
            left -= piece;
        }
        return true;
    }

    static bool SendAll(SSL* session, const char* data, int64_t size)
    {
        while (size > 0) {
            const int n = SSL_write(session, data, static_cast<int>(size));
            if (n <= 0)
                return false;
            data += n;
            size -= n;
        }
        return true;
    }

    SSL_CTX* FContext = nullptr;
    int FListener = -1;
    int FPort = 0;
    std::string FBlock;
    std::atomic<bool> FStopping{false};
    std::thread FThread;
};

class IdleMessages : public MessageQueue {
public:
    bool MessageWaiting() override { return false; }
    void ProcessMessages() override {}
    void HandleMessage() override {}
};

std::string RunCommand(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}

double OurLargeBodyRate(TIdHTTP& http, const std::string& url, const std::string& file)
{
    FileStream destination(file, FileStream::Mode::CreateEmpty);
    const Clock::time_point start = Clock::now();
    http.HttpGet(url, destination);
    http.CloseConnection();
    const double seconds = SecondsSince(start);
    if (destination.Size() != LargeBodySize) {
        std::fprintf(stderr, "short body: %lld bytes\n", static_cast<long long>(destination.Size()));
        std::exit(1);
    }
    return static_cast<double>(LargeBodySize) / seconds;
}

// curl: its own measure of the transfer (connect and handshake included, process start
// excluded).
double CurlLargeBodyRate(const std::string& url, const std::string& caFile, const std::string& file)
{
    const std::string output = RunCommand("curl -s --cacert '" + caFile + "' -o '" + file +
                                          "' -w '%{speed_download} %{size_download}' '" + url + "'");
    double speed = 0;
    long long size = 0;
    if (std::sscanf(output.c_str(), "%lf %lld", &speed, &size) != 2 || size != LargeBodySize) {
        std::fprintf(stderr, "curl failed: %s\n", output.c_str());
        std::exit(1);
    }
    return speed;
}

double OurRequestRate(TIdHTTP& http, const std::vector<std::string>& urls, const std::string& file)
{
    const Clock::time_point start = Clock::now();
    for (const std::string& url : urls) {
        FileStream destination(file, FileStream::Mode::CreateEmpty);
        http.HttpGet(url, destination);
        http.CloseConnection();
    }
    return static_cast<double>(urls.size()) / SecondsSince(start);
}

double CurlRequestRate(const std::string& configFile, size_t count)
{
    const Clock::time_point start = Clock::now();
    const std::string output = RunCommand("curl -s -K '" + configFile + "' -w '%{http_code}\\n'");
    const double seconds = SecondsSince(start);
    const size_t ok = static_cast<size_t>(std::count(output.begin(), output.end(), '\n'));
    if (ok != count || output.find("200") != 0) {
        std::fprintf(stderr, "curl made %zu requests\n", ok);
        std::exit(1);
    }
    return static_cast<double>(count) / seconds;
}

} // namespace

int main()
{
    // The server writes with write(): a client that has gone must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    if (RunCommand("curl --version").empty()) {
        std::fprintf(stderr, "curl is needed for the comparison\n");
        return 1;
    }
    char folderTemplate[] = "/tmp/https_bench_XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    const std::string caFile = folder + "/ca.pem";
    const std::string ourFile = folder + "/ours.html";
    const std::string curlFile = folder + "/curl.html";

    LocalAuthority authority("https_bench local CA");
    authority.WriteCertificate(caFile);
    TlsPageServer server(authority.Issue({"127.0.0.1", "localhost"}));
    IdleMessages messages;
    TIdAntiFreeze antiFreeze(messages);
    TIdHTTP http;
    http.HandleRedirects = true;
    http.OnWork = [](TIdComponent&, TWorkMode, int32_t) {};
    auto secure = std::make_shared<TIdSSLIOHandlerSocket>();
    secure->CAFile = caFile;
    http.SetIOHandler(secure);

    // 1. A 100 MB body, alternating the two clients round by round.
    std::vector<double> ours;
    std::vector<double> theirs;
    const std::string largeUrl = server.Url("/large");
    for (int round = 0; round < Rounds; ++round) {
        ours.push_back(OurLargeBodyRate(http, largeUrl, ourFile));
        theirs.push_back(CurlLargeBodyRate(largeUrl, caFile, curlFile));
    }
    const double ourRate = Median(ours);
    const double curlRate = Median(theirs);
    std::printf("100 MB body over TLS into a file, median of %d: ours %.0f MB/s, curl %.0f MB/s: %.0f%% of curl "
                "(target 90%%)\n",
                Rounds, ourRate / 1e6, curlRate / 1e6, 100.0 * ourRate / curlRate);

    // 2. Small pages, one connection and one full handshake each.
    std::vector<std::string> urls;
    std::ofstream config(folder + "/urls.curl");
    config << "header = \"Connection: close\"\ncacert = \"" << caFile << "\"\nno-sessionid\n";
    for (int i = 0; i < SmallPageCount; ++i) {
        urls.push_back(server.Url("/page/" + std::to_string(i)));
        config << "url = \"" << urls.back() << "\"\noutput = \"" << curlFile << "\"\n";
    }
    config.close();
    ours.clear();
    theirs.clear();
    for (int round = 0; round < Rounds; ++round) {
        ours.push_back(OurRequestRate(http, urls, ourFile));
        theirs.push_back(CurlRequestRate(folder + "/urls.curl", urls.size()));
    }
    const double ourRequests = Median(ours);
    const double curlRequests = Median(theirs);
    std::printf("%d https pages, a connection and a handshake each, median of %d: ours %.0f/s, curl %.0f/s: %.0f%% "
                "of curl (target 80%%)\n",
                SmallPageCount, Rounds, ourRequests, curlRequests, 100.0 * ourRequests / curlRequests);

    for (const std::string& file : {ourFile, curlFile, caFile, folder + "/urls.curl"})
        std::remove(file.c_str());
    rmdir(folder.c_str());
    return 0;
}
