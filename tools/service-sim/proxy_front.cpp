#include "proxy_front.h"

#include "request_log.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A request head past this is no request the program sends.
constexpr std::size_t MaxHead = 64 * 1024;

int Listen(bool ipv6, uint16_t& port)
{
    const int listener = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        throw std::runtime_error("proxy: no socket");
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage storage{};
    socklen_t length;
    if (ipv6) {
        setsockopt(listener, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        auto& address = reinterpret_cast<sockaddr_in6&>(storage);
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        address.sin6_port = htons(port);
        length = sizeof address;
    } else {
        auto& address = reinterpret_cast<sockaddr_in&>(storage);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        length = sizeof address;
    }
    if (bind(listener, reinterpret_cast<sockaddr*>(&storage), length) < 0 || listen(listener, SOMAXCONN) < 0) {
        close(listener);
        throw std::runtime_error(std::string("proxy: cannot listen: ") + std::strerror(errno));
    }
    getsockname(listener, reinterpret_cast<sockaddr*>(&storage), &length);
    port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6&>(storage).sin6_port
                      : reinterpret_cast<sockaddr_in&>(storage).sin_port);
    return listener;
}

bool SendAll(int socket, const std::string& bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t sent = send(socket, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        at += static_cast<std::size_t>(sent);
    }
    return true;
}

bool ReadExact(int socket, std::string& into, std::size_t count)
{
    into.assign(count, '\0');
    for (std::size_t at = 0; at < count;) {
        const ssize_t got = recv(socket, into.data() + at, count - at, 0);
        if (got <= 0)
            return false;
        at += static_cast<std::size_t>(got);
    }
    return true;
}

// Reads up to and including the empty line; what came after it stays in rest.
bool ReadHead(int socket, std::string& head, std::string& rest)
{
    std::string buffer;
    char block[4096];
    for (;;) {
        const std::size_t end = buffer.find("\r\n\r\n");
        if (end != std::string::npos) {
            head = buffer.substr(0, end + 4);
            rest = buffer.substr(end + 4);
            return true;
        }
        if (buffer.size() > MaxHead)
            return false;
        const ssize_t got = recv(socket, block, sizeof block, 0);
        if (got <= 0)
            return false;
        buffer.append(block, static_cast<std::size_t>(got));
    }
}

// The loopback addresses this simulator runs on: nothing else is relayed to.
bool IsLoopbackTarget(const std::string& host)
{
    return host == "127.0.0.1" || host == "::1" || host == "localhost";
}

int ConnectTo(const std::string& host, const std::string& port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host == "localhost" ? "127.0.0.1" : host.c_str(), port.c_str(), &hints, &found) != 0)
        return -1;
    int connected = -1;
    for (const addrinfo* entry = found; entry && connected < 0; entry = entry->ai_next) {
        const int socket = ::socket(entry->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket >= 0 && connect(socket, entry->ai_addr, entry->ai_addrlen) == 0)
            connected = socket;
        else if (socket >= 0)
            close(socket);
    }
    freeaddrinfo(found);
    return connected;
}

// Copies bytes both ways until either side closes.
void Relay(int a, int b)
{
    pollfd waits[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    char block[16384];
    for (;;) {
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        for (int side = 0; side < 2; ++side) {
            if (!(waits[side].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = recv(waits[side].fd, block, sizeof block, 0);
            if (got <= 0 || !SendAll(waits[1 - side].fd, std::string(block, static_cast<std::size_t>(got))))
                return;
        }
    }
}

std::string Base64(const std::string& text)
{
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const uint32_t n = (static_cast<unsigned char>(text[i]) << 16) |
                           (i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) << 8 : 0) |
                           (i + 2 < text.size() ? static_cast<unsigned char>(text[i + 2]) : 0);
        out += Alphabet[(n >> 18) & 63];
        out += Alphabet[(n >> 12) & 63];
        out += i + 1 < text.size() ? Alphabet[(n >> 6) & 63] : '=';
        out += i + 2 < text.size() ? Alphabet[n & 63] : '=';
    }
    return out;
}

// host and port of "host:port" or "[v6]:port".
bool SplitHostPort(const std::string& text, std::string& host, std::string& port)
{
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || text.size() < close + 2 || text[close + 1] != ':')
            return false;
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos)
            return false;
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    return !host.empty() && !port.empty();
}

} // namespace

ProxyFront::ProxyFront(ProxyProtocol protocol, uint16_t port, bool ipv6, std::string credentials, RequestLog* log)
    : FProtocol(protocol), FCredentials(std::move(credentials)), FLog(log), FPort(port)
{
    FListeners.push_back(Listen(false, FPort));
    if (ipv6)
        FListeners.push_back(Listen(true, FPort));
    FStopEvent = eventfd(0, EFD_CLOEXEC);
}

ProxyFront::~ProxyFront()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(FStopEvent, &one, sizeof one);
    for (std::thread& thread : FThreads)
        thread.join();
    for (const int listener : FListeners)
        close(listener);
    close(FStopEvent);
}

void ProxyFront::Start()
{
    for (const int listener : FListeners)
        FThreads.emplace_back([this, listener] { AcceptLoop(listener); });
}

void ProxyFront::AcceptLoop(int listener)
{
    for (;;) {
        pollfd waits[2] = {{listener, POLLIN, 0}, {FStopEvent, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents)
            return;
        const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        // One relay per connection; a relay ends when either side closes.
        std::thread([this, client] {
            Serve(client);
            close(client);
        }).detach();
    }
}

void ProxyFront::Serve(int client)
{
    if (FProtocol == ProxyProtocol::Http)
        ServeHttp(client);
    else
        ServeSocks(client);
}

void ProxyFront::Note(const std::string& line)
{
    std::lock_guard<std::mutex> lock(FNoteLock);
    std::cout << line << std::endl;
    if (FLog)
        FLog->Append(line + "\n");
}

void ProxyFront::ServeHttp(int client)
{
    std::string head;
    std::string rest;
    if (!ReadHead(client, head, rest))
        return;
    const std::string requestLine = head.substr(0, head.find("\r\n"));
    const std::size_t firstSpace = requestLine.find(' ');
    const std::size_t secondSpace = requestLine.rfind(' ');
    if (firstSpace == std::string::npos || secondSpace <= firstSpace) {
        SendAll(client, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    const std::string method = requestLine.substr(0, firstSpace);
    const std::string target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);

    std::string user = "-";
    if (!FCredentials.empty()) {
        const std::string expected = "Proxy-Authorization: Basic " + Base64(FCredentials) + "\r\n";
        if (head.find(expected) == std::string::npos) {
            Note("http proxy: 407 for " + requestLine);
            SendAll(client, "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"service-sim\"\r\n"
                            "Content-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        user = FCredentials.substr(0, FCredentials.find(':'));
    }

    std::string host;
    std::string port;
    std::string forward;
    if (method == "CONNECT") {
        if (!SplitHostPort(target, host, port)) {
            SendAll(client, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
    } else {
        // Absolute form: http://host[:port]/path.
        if (!target.starts_with("http://")) {
            SendAll(client, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        const std::string rest_of = target.substr(7);
        const std::size_t slash = rest_of.find('/');
        const std::string authority = rest_of.substr(0, slash);
        const std::string path = slash == std::string::npos ? "/" : rest_of.substr(slash);
        if (!SplitHostPort(authority.find(':') != std::string::npos && !authority.ends_with(']') ? authority
                                                                                                 : authority + ":80",
                           host, port)) {
            SendAll(client, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        // The origin gets the request as a client asks it directly, its proxy lines
        // dropped, and closes after answering: one request per relayed connection.
        forward = method + " " + path + requestLine.substr(secondSpace) + "\r\nConnection: close\r\n";
        std::size_t at = head.find("\r\n") + 2;
        while (at < head.size() - 2) {
            const std::size_t end = head.find("\r\n", at);
            const std::string line = head.substr(at, end - at);
            at = end + 2;
            if (line.starts_with("Proxy-") || line.starts_with("Connection:"))
                continue;
            forward += line + "\r\n";
        }
        forward += "\r\n" + rest;
    }
    if (!IsLoopbackTarget(host)) {
        Note("http proxy: refused " + method + " " + target + " (not a loopback address)");
        SendAll(client, "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    const int origin = ConnectTo(host, port);
    if (origin < 0) {
        SendAll(client, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    Note("http proxy: " + method + " " + target + " (user " + user + ")");
    if (method == "CONNECT")
        SendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n");
    else
        SendAll(origin, forward);
    Relay(client, origin);
    close(origin);
}

void ProxyFront::ServeSocks(int client)
{
    std::string bytes;
    if (!ReadExact(client, bytes, 2) || bytes[0] != 5)
        return;
    std::string methods;
    if (!ReadExact(client, methods, static_cast<unsigned char>(bytes[1])))
        return;
    const char wanted = FCredentials.empty() ? 0 : 2;
    if (methods.find(wanted) == std::string::npos) {
        Note("socks proxy: no acceptable method");
        SendAll(client, std::string("\x05\xff", 2));
        return;
    }
    SendAll(client, std::string{5, wanted});
    std::string user = "-";
    if (wanted == 2) {
        std::string version, length, name, password;
        if (!ReadExact(client, version, 1) || !ReadExact(client, length, 1) ||
            !ReadExact(client, name, static_cast<unsigned char>(length[0])) || !ReadExact(client, length, 1) ||
            !ReadExact(client, password, static_cast<unsigned char>(length[0])))
            return;
        if (name + ":" + password != FCredentials) {
            Note("socks proxy: wrong user or password for " + name);
            SendAll(client, std::string("\x01\x01", 2));
            return;
        }
        user = name;
        SendAll(client, std::string("\x01\x00", 2));
    }

    std::string request;
    if (!ReadExact(client, request, 4) || request[0] != 5 || request[1] != 1)
        return;
    std::string host;
    std::string raw;
    char text[INET6_ADDRSTRLEN] = {};
    if (request[3] == 1 && ReadExact(client, raw, 4)) {
        host = inet_ntop(AF_INET, raw.data(), text, sizeof text);
    } else if (request[3] == 4 && ReadExact(client, raw, 16)) {
        host = inet_ntop(AF_INET6, raw.data(), text, sizeof text);
    } else if (request[3] == 3) {
        std::string length;
        if (!ReadExact(client, length, 1) || !ReadExact(client, host, static_cast<unsigned char>(length[0])))
            return;
    } else {
        SendAll(client, std::string("\x05\x08\x00\x01\x00\x00\x00\x00\x00\x00", 10));
        return;
    }
    std::string portBytes;
    if (!ReadExact(client, portBytes, 2))
        return;
    const int port = (static_cast<unsigned char>(portBytes[0]) << 8) | static_cast<unsigned char>(portBytes[1]);
    const std::string target = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
    if (!IsLoopbackTarget(host)) {
        Note("socks proxy: refused " + target + " (not a loopback address)");
        SendAll(client, std::string("\x05\x02\x00\x01\x00\x00\x00\x00\x00\x00", 10));
        return;
    }
    const int origin = ConnectTo(host, std::to_string(port));
    if (origin < 0) {
        SendAll(client, std::string("\x05\x05\x00\x01\x00\x00\x00\x00\x00\x00", 10));
        return;
    }
    Note("socks proxy: CONNECT " + target + " (user " + user + ")");
    SendAll(client, std::string("\x05\x00\x00\x01\x00\x00\x00\x00\x00\x00", 10));
    Relay(client, origin);
    close(origin);
}
