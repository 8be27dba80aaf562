// service-sim-load: fetches a page from a running service-sim again and again, one new
// connection per fetch and one fetch at a time, the way the program does, and prints how
// many fetches per second that gives. Loopback only; the number of fetches is bounded.
//
//   service-sim-load PORT [FETCHES] [TARGET]
//   e.g. service-sim-load 8301 20000 '/search?q=%22golf+clubs%22'

#include <arpa/inet.h>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

static bool ReadNumber(const char* text, long lowest, long highest, long& value)
{
    const char* end = text + std::strlen(text);
    auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end && value >= lowest && value <= highest;
}

// One fetch on a connection of its own; returns the body length as sent (chunk framing
// included), or -1 on failure. A body that has not ended after 10 s is a failure.
static long FetchOnce(uint16_t port, const std::string& requestHead)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    timeval limit { 10, 0 };
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    long bodyLength = -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && send(fd, requestHead.data(), requestHead.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(requestHead.size())) {
        std::string response;
        char buffer[16 * 1024];
        std::size_t headEnd = std::string::npos;
        long contentLength = -1;
        bool chunked = false;
        while (true) {
            ssize_t received = recv(fd, buffer, sizeof buffer, 0);
            if (received < 0)
                break;
            if (received == 0) {
                if (headEnd != std::string::npos && contentLength < 0 && !chunked)
                    bodyLength = static_cast<long>(response.size() - headEnd);
                break;
            }
            response.append(buffer, static_cast<std::size_t>(received));
            if (headEnd == std::string::npos) {
                std::size_t blank = response.find("\r\n\r\n");
                if (blank == std::string::npos)
                    continue;
                headEnd = blank + 4;
                std::size_t field = response.find("Content-Length: ");
                if (field != std::string::npos && field < headEnd)
                    contentLength = std::strtol(response.c_str() + field + 16, nullptr, 10);
                std::size_t encoding = response.find("Transfer-Encoding: chunked\r\n");
                chunked = encoding != std::string::npos && encoding < headEnd;
            }
            if (chunked && response.size() >= headEnd + 5 && response.ends_with("\r\n0\r\n\r\n")) {
                bodyLength = static_cast<long>(response.size() - headEnd);
                break;
            }
            if (contentLength >= 0 && response.size() - headEnd >= static_cast<std::size_t>(contentLength)) {
                bodyLength = contentLength;
                break;
            }
        }
    }
    close(fd);
    return bodyLength;
}

int main(int argc, char** argv)
{
    long port = 0;
    long fetches = 10000;
    if (argc < 2 || argc > 4 || !ReadNumber(argv[1], 1, 65535, port)
        || (argc >= 3 && !ReadNumber(argv[2], 1, 1000000, fetches))) {
        std::fprintf(stderr, "usage: service-sim-load PORT [FETCHES (1-1000000, default 10000)] [TARGET]\n");
        return 2;
    }
    std::string target = argc == 4 ? argv[3] : "/search?q=%22golf+clubs%22";
    std::string requestHead = "GET " + target + " HTTP/1.1\r\nContent-Type: text/html\r\nHost: 127.0.0.1:"
        + std::to_string(port) + "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Talvira)\r\n\r\n";

    long failures = 0;
    long bytes = 0;
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < fetches; ++i) {
        long length = FetchOnce(static_cast<uint16_t>(port), requestHead);
        if (length < 0)
            ++failures;
        else
            bytes += length;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld fetches of %s, one connection each: %.3f s, %.0f fetches per second, "
                "%ld body bytes, %ld failed\n",
        fetches, target.c_str(), seconds, static_cast<double>(fetches) / seconds, bytes, failures);
    return failures == 0 ? 0 : 1;
}
