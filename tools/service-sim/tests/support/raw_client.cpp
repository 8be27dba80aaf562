#include "raw_client.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// Reads give up after this long, so a broken server fails a test instead of hanging it.
constexpr int giveUpSeconds = 20;

}

RawClient::RawClient(uint16_t port)
{
    FFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval limit { giveUpSeconds, 0 };
    setsockopt(FFd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(FFd);
        FFd = -1;
    }
}

RawClient::~RawClient()
{
    if (FFd >= 0)
        close(FFd);
}

void RawClient::Send(std::string_view bytes)
{
    while (FFd >= 0 && !bytes.empty()) {
        ssize_t sent = send(FFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

bool RawClient::ReadMore()
{
    char buffer[16 * 1024];
    ssize_t received = FFd >= 0 ? recv(FFd, buffer, sizeof buffer, 0) : -1;
    if (received <= 0)
        return false;
    FPending.append(buffer, static_cast<std::size_t>(received));
    return true;
}

std::string RawClient::ReadUntilClosed()
{
    while (ReadMore()) {
    }
    return std::move(FPending);
}

std::string RawClient::ReadOneResponse()
{
    std::size_t headEnd = std::string::npos;
    while ((headEnd = FPending.find("\r\n\r\n")) == std::string::npos) {
        if (!ReadMore())
            return std::move(FPending);
    }
    std::size_t total = headEnd + 4;
    constexpr std::string_view field = "\r\nContent-Length: ";
    std::size_t at = FPending.find(field);
    if (at != std::string::npos && at < headEnd)
        total += std::strtoul(FPending.c_str() + at + field.size(), nullptr, 10);
    while (FPending.size() < total) {
        if (!ReadMore())
            return std::move(FPending);
    }
    std::string response = FPending.substr(0, total);
    FPending.erase(0, total);
    return response;
}

std::string RawClient::ReadThrough(std::string_view marker)
{
    std::size_t at = std::string::npos;
    while ((at = FPending.find(marker)) == std::string::npos) {
        if (!ReadMore())
            return std::move(FPending);
    }
    std::string bytes = FPending.substr(0, at + marker.size());
    FPending.erase(0, at + marker.size());
    return bytes;
}

bool RawClient::ServerClosed()
{
    if (!FPending.empty() || FFd < 0)
        return false;
    char c = 0;
    return recv(FFd, &c, 1, MSG_PEEK) == 0;
}
