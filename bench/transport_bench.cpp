// Transport figures: loopback connect + close, and reading a 256 MB body into memory
// compared with curl reading the same body from the same peer in the same run.
#include "net/anti_freeze.h"
#include "net/connection.h"
#include "net/streams.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t BodySize = 256LL * 1024 * 1024;

// A loopback listener whose thread serves each accepted connection with serve().
class LoopbackPeer {
public:
    template <typename Serve>
    explicit LoopbackPeer(Serve serve)
    {
        FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(FListener, 128) != 0
            || getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("listen");
            std::exit(1);
        }
        FPort = ntohs(address.sin_port);
        FThread = std::thread([this, serve] {
            for (;;) {
                const int connection = accept(FListener, nullptr, nullptr);
                if (connection < 0 || FStopping)
                    break;
                serve(connection);
                close(connection);
            }
        });
    }

    ~LoopbackPeer()
    {
        FStopping = true;
        shutdown(FListener, SHUT_RDWR);
        FThread.join();
        close(FListener);
    }

    int Port() const { return FPort; }

private:
    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStopping{false};
    std::thread FThread;
};

void SendAll(int connection, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = send(connection, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<size_t>(n);
    }
}

// Answers one GET with a Content-Length head and the body, then waits for the client
// to close.
void ServeBody(int connection)
{
    std::string request;
    char block[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(connection, block, sizeof block, 0);
        if (n <= 0)
            return;
        request.append(block, static_cast<size_t>(n));
    }
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
        + std::to_string(BodySize) + "\r\n\r\n";
    SendAll(connection, head.data(), head.size());
    static const std::string chunk = [] {
        std::string bytes(1 << 20, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 131 % 251);
        return bytes;
    }();
    for (int64_t sent = 0; sent < BodySize; sent += static_cast<int64_t>(chunk.size()))
        SendAll(connection, chunk.data(), chunk.size());
    while (recv(connection, block, sizeof block, 0) > 0) {
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double ConnectCloseMedianMs(int port, int rounds)
{
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        client.OpenConnection();
        client.CloseConnection();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return Median(times);
}

class NoMessages : public MessageQueue {
public:
    bool MessageWaiting() override { return false; }
    void ProcessMessages() override {}
    void HandleMessage() override {}
};

double CurlRate(int port)
{
    const std::string command =
        "curl -s -o /dev/null -w '%{speed_download}' http://127.0.0.1:" + std::to_string(port) + "/";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return 0;
    char output[64] = {};
    const size_t n = fread(output, 1, sizeof output - 1, pipe);
    pclose(pipe);
    output[n] = '\0';
    return std::atof(output);
}

// Bytes per second for the GET and the counted body read into the memory stream.
double ConnectionRate(int port, MemoryStream& body)
{
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(port);
    body.SetSize(0);

    const auto start = Clock::now();
    client.OpenConnection();
    client.StartWriteCache();
    client.WriteLine("GET / HTTP/1.1");
    client.WriteLine("Host: 127.0.0.1");
    client.WriteLine("");
    client.FinishWriteCache();
    int64_t length = -1;
    for (std::string line = client.ReadLine(); !line.empty(); line = client.ReadLine()) {
        if (line.rfind("Content-Length: ", 0) == 0)
            length = std::stoll(line.substr(16));
    }
    client.ReadToStream(body, static_cast<int32_t>(length));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    client.CloseConnection();

    if (body.Size() != BodySize) {
        std::fprintf(stderr, "short body: %lld bytes\n", static_cast<long long>(body.Size()));
        std::exit(1);
    }
    return static_cast<double>(body.Size()) / seconds;
}

} // namespace

int main()
{
    {
        LoopbackPeer peer([](int) {});
        const int rounds = 2000;
        ConnectCloseMedianMs(peer.Port(), 100);
        const double connectClose = ConnectCloseMedianMs(peer.Port(), rounds);
        std::printf("loopback connect + close, median of %d: %.3f ms\n", rounds, connectClose);
        std::printf("TABLE|Loopback connect + close (ms)|%.3f|||< 0.5\n", connectClose);
        NoMessages messages;
        TIdAntiFreeze antiFreeze(messages);
        std::printf("loopback connect + close with the anti-freeze in use, median of %d: %.3f ms\n",
                    rounds, ConnectCloseMedianMs(peer.Port(), rounds));
    }

    // The destination of the first kind is a new stream each run, so the run also pays
    // for the first touch of 256 MB of fresh memory; the second kind reuses one stream,
    // which leaves the transport's own cost. curl writes to /dev/null and pays neither.
    LoopbackPeer peer(ServeBody);
    const int rounds = 5;
    std::vector<double> curl;
    std::vector<double> fresh;
    std::vector<double> reused;
    MemoryStream kept;
    for (int i = 0; i < rounds; ++i) {
        curl.push_back(CurlRate(peer.Port()));
        MemoryStream stream;
        fresh.push_back(ConnectionRate(peer.Port(), stream));
        reused.push_back(ConnectionRate(peer.Port(), kept));
    }
    const double curlRate = Median(curl);
    std::printf("256 MB body from a loopback peer, median of %d runs each:\n", rounds);
    std::printf("  curl to /dev/null:                  %8.1f MB/s\n", curlRate / 1e6);
    for (const auto& [label, rates] : {std::pair<const char*, std::vector<double>*>{"new memory stream", &fresh},
                                       std::pair<const char*, std::vector<double>*>{"reused memory stream", &reused}}) {
        const double rate = Median(*rates);
        std::printf("  ReadToStream into a %-20s %8.1f MB/s (%.0f%% of curl)\n", label, rate / 1e6,
                    curlRate > 0 ? 100.0 * rate / curlRate : 0.0);
        std::printf("TABLE|ReadToStream, 256 MB into a %s (MB/s)|%.0f|%.0f|%.2f|>= 0.70\n", label,
                    rate / 1e6, curlRate / 1e6, curlRate > 0 ? rate / curlRate : 0.0);
    }
    return 0;
}
