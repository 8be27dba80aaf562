// The process-wide socket layer: its lifetime, the host lookup and the socket calls.
#include "net/errors.h"
#include "net/name_lookup.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <strings.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::mutex StackLock;
int UserCount = 0;
// Read without the lock by the connect worker, while its connection keeps the layer alive.
std::atomic<TIdStack*> Instance{nullptr};

int Fail(TIdStack& stack)
{
    stack.SetLastError(TIdStack::WinSockErrorNumber(errno));
    return -1;
}

// A socket address of either family. An empty ip is the any-address of family.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

bool MakeAddress(const std::string& ip, int32_t port, int family, SocketAddress& address)
{
    // A port that does not fit 16 bits would wrap to another one.
    if (port < 0 || port > 65535)
        return false;
    address = SocketAddress{};
    if (ip.find(':') != std::string::npos || (ip.empty() && family == AF_INET6)) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address.storage);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(static_cast<uint16_t>(port));
        address.length = sizeof v6;
        return ip.empty() || inet_pton(AF_INET6, ip.c_str(), &v6.sin6_addr) == 1;
    }
    auto& v4 = reinterpret_cast<sockaddr_in&>(address.storage);
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<uint16_t>(port));
    address.length = sizeof v4;
    if (ip.empty()) {
        v4.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return inet_pton(AF_INET, ip.c_str(), &v4.sin_addr) == 1;
}

void ReadAddress(const sockaddr_storage& address, std::string& ip, int32_t& port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    } else {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    }
    ip = text;
}

// The address family the socket was made for.
int FamilyOf(int socket)
{
    int family = AF_INET;
    socklen_t length = sizeof family;
    ::getsockopt(socket, SOL_SOCKET, SO_DOMAIN, &family, &length);
    return family;
}

} // namespace

void TIdStack::AddStackUser()
{
    std::lock_guard<std::mutex> lock(StackLock);
    if (UserCount == 0)
        Instance = new TIdStack();
    ++UserCount;
}

void TIdStack::RemoveStackUser()
{
    std::lock_guard<std::mutex> lock(StackLock);
    if (UserCount == 1)
        delete Instance.exchange(nullptr);
    --UserCount;
}

int TIdStack::StackUsers()
{
    std::lock_guard<std::mutex> lock(StackLock);
    return UserCount;
}

TIdStack* TIdStack::StackInstance()
{
    return Instance;
}

bool TIdStack::IsIPv4Text(const std::string& text)
{
    int parts = 0;
    size_t start = 0;
    while (parts < 4) {
        // The first three parts end at a dot; the fourth is the rest of the text.
        const size_t end = parts < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos)
            return false;
        const std::string part = text.substr(start, end - start);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        if (std::stoi(part) > 255)
            return false;
        ++parts;
        start = end + 1;
    }
    return true;
}

bool TIdStack::IsIPv6Text(const std::string& text)
{
    in6_addr address;
    return text.find('\0') == std::string::npos && inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

bool TIdStack::IsLocalHostName(const std::string& host)
{
    return strcasecmp(host.c_str(), "LOCALHOST") == 0;
}

std::string TIdStack::LookupHost(const std::string& host, const std::function<bool()>& stopped)
{
    return LookupHostAddresses(host, stopped).front();
}

std::vector<std::string> TIdStack::LookupHostAddresses(const std::string& host, const std::function<bool()>& stopped)
{
    if (IsLocalHostName(host))
        return {"127.0.0.1"};
    if (IsIPv4Text(host) || IsIPv6Text(host))
        return {host};
    std::vector<std::string> addresses = LookupAddresses(host, stopped);
    std::stable_partition(addresses.begin(), addresses.end(),
                          [](const std::string& address) { return address.find(':') != std::string::npos; });
    return addresses;
}

int TIdStack::WSSocket(bool ipv6)
{
    const int descriptor = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return descriptor < 0 ? Fail(*this) : descriptor;
}

int TIdStack::WSBind(int socket, const std::string& ip, int32_t port)
{
    SocketAddress address;
    if (!MakeAddress(ip, port, FamilyOf(socket), address)) {
        SetLastError(WinSockErrorNumber(EINVAL));
        return -1;
    }
    if (port == 0) {
        // The local port is then chosen at connect time, for the peer at hand: closed
        // connections waiting out their time on one port no longer block it for every
        // peer, so thousands of short fetches neither run out of local ports nor slow
        // each bind down with a search past them.
        const int deferPort = 1;
        ::setsockopt(socket, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &deferPort, sizeof deferPort);
    }
    return ::bind(socket, address.get(), address.length) == 0 ? 0 : Fail(*this);
}

int TIdStack::WSStartConnect(int socket, const std::string& ip, int32_t port)
{
    SocketAddress address;
    // An address of the other family than the socket's cannot be reached through it.
    if (!MakeAddress(ip, port, FamilyOf(socket), address) || address.storage.ss_family != FamilyOf(socket)) {
        SetLastError(WinSockErrorNumber(EINVAL));
        return -1;
    }

    // Non-blocking until the connect has finished, so that waiting for it can also
    // watch the abandon signal.
    const int flags = fcntl(socket, F_GETFL);
    if (flags < 0 || fcntl(socket, F_SETFL, flags | O_NONBLOCK) < 0)
        return Fail(*this);
    if (::connect(socket, address.get(), address.length) == 0) {
        fcntl(socket, F_SETFL, flags);
        return 0;
    }
    if (errno == EINPROGRESS || errno == EINTR)
        return ConnectInProgress;
    const int result = Fail(*this);
    fcntl(socket, F_SETFL, flags);
    return result;
}

int TIdStack::WSFinishConnect(int socket, int abandonSignal, int32_t timeout)
{
    pollfd waits[2] = {{socket, POLLOUT, 0}, {abandonSignal, POLLIN, 0}};
    int ready;
    do {
        ready = poll(waits, abandonSignal >= 0 ? 2 : 1, timeout);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0)
        return ConnectInProgress;

    int result = 0;
    if (ready < 0) {
        result = Fail(*this);
    } else if (waits[1].revents != 0 && waits[0].revents == 0) {
        SetLastError(WinSockErrorNumber(ENOTSOCK));
        result = -1;
    } else {
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            result = Fail(*this);
        } else if (error != 0) {
            SetLastError(WinSockErrorNumber(error));
            result = -1;
        }
    }
    const int flags = fcntl(socket, F_GETFL);
    if (flags >= 0)
        fcntl(socket, F_SETFL, flags & ~O_NONBLOCK);
    return result;
}

void TIdStack::WSAwaitConnects(const std::vector<int>& sockets, int abandonSignal, int32_t timeout)
{
    std::vector<pollfd> waits;
    for (const int socket : sockets)
        waits.push_back({socket, POLLOUT, 0});
    if (abandonSignal >= 0)
        waits.push_back({abandonSignal, POLLIN, 0});
    while (poll(waits.data(), waits.size(), timeout) < 0 && errno == EINTR) {
    }
}

namespace {

int PollFor(TIdStack& stack, int socket, short events, int32_t timeout)
{
    pollfd entry{socket, events, 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeout < 0 ? -1 : timeout);
    } while (ready < 0 && errno == EINTR);
    return ready < 0 ? Fail(stack) : ready;
}

} // namespace

int TIdStack::WSPollReadable(int socket, int32_t timeout)
{
    return PollFor(*this, socket, POLLIN, timeout);
}

int TIdStack::WSPollWritable(int socket, int32_t timeout)
{
    return PollFor(*this, socket, POLLOUT, timeout);
}

int TIdStack::WSRecv(int socket, void* memory, int32_t length)
{
    ssize_t n;
    do {
        n = ::recv(socket, memory, static_cast<size_t>(length), 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? Fail(*this) : static_cast<int>(n);
}

int TIdStack::WSSend(int socket, const void* memory, int32_t length)
{
    // Takes what the socket has room for and returns: a send that waited for room for the
    // whole block would wait without the window being pumped. It waits only while the
    // socket has no room at all, which the writability wait before it rules out.
    ssize_t n;
    for (;;) {
        n = ::send(socket, memory, static_cast<size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            break;
        if (PollFor(*this, socket, POLLOUT, -1) < 0)
            return -1;
    }
    return n < 0 ? Fail(*this) : static_cast<int>(n);
}

void TIdStack::WSShutdownSend(int socket)
{
    ::shutdown(socket, SHUT_WR);
}

void TIdStack::WSCloseSocket(int socket)
{
    ::close(socket);
}

int TIdStack::WSGetSockName(int socket, std::string& ip, int32_t& port)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return Fail(*this);
    ReadAddress(address, ip, port);
    return 0;
}

int TIdStack::WSGetPeerName(int socket, std::string& ip, int32_t& port)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return Fail(*this);
    ReadAddress(address, ip, port);
    return 0;
}

int TIdStack::WSSetNoDelay(int socket)
{
    const int on = 1;
    return ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0 ? 0 : Fail(*this);
}
