#include "support/net/scripted_peer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Only a guard against a test that never gives the step what it waits for.
constexpr int SafetyLimitMs = 20000;

} // namespace

int ListenOnLoopback(int backlog, int& port, Loopback loopback)
{
    const bool ipv6 = loopback == Loopback::IPv6;
    const int listener = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        throw std::runtime_error("test server: no socket");
    sockaddr_storage storage{};
    socklen_t length;
    if (ipv6) {
        auto& address = reinterpret_cast<sockaddr_in6&>(storage);
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        address.sin6_port = htons(static_cast<uint16_t>(port));
        length = sizeof address;
        const int only = 1;
        setsockopt(listener, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
    } else {
        auto& address = reinterpret_cast<sockaddr_in&>(storage);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        length = sizeof address;
    }
    if (bind(listener, reinterpret_cast<sockaddr*>(&storage), length) != 0 || listen(listener, backlog) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        close(listener);
        throw std::runtime_error(ipv6 ? "test server: cannot listen on ::1" : "test server: cannot listen on 127.0.0.1");
    }
    port = ipv6 ? ntohs(reinterpret_cast<sockaddr_in6&>(storage).sin6_port)
                : ntohs(reinterpret_cast<sockaddr_in&>(storage).sin_port);
    return listener;
}

ScriptedPeer::Link::Link(size_t index, int socket) : Index(index), Socket(socket) {}

ScriptedPeer::Link::~Link()
{
    close(Socket);
}

long ScriptedPeer::Link::Read(char* into, size_t size, short& wait)
{
    const ssize_t n = recv(Socket, into, size, 0);
    if (n > 0)
        return n;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        wait = POLLIN;
        return 0;
    }
    return -1;
}

long ScriptedPeer::Link::Write(const char* from, size_t size, short& wait)
{
    const ssize_t n = send(Socket, from, size, MSG_NOSIGNAL);
    if (n > 0)
        return n;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        wait = POLLOUT;
        return 0;
    }
    return -1;
}

ScriptedPeer::ScriptedPeer(Loopback loopback, int port) : FPort(port)
{
    FListener = ListenOnLoopback(16, FPort, loopback);
    FStopSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void ScriptedPeer::StartPlaying(size_t connections)
{
    FConnections = connections;
    // With nothing to play the port refuses at once, before any client can try it.
    if (FConnections == 0) {
        close(FListener);
        FListener = -1;
    }
    FThread = std::thread([this] { Run(); });
}

void ScriptedPeer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(FStopSignal, &one, sizeof one);
    if (FThread.joinable())
        FThread.join();
}

ScriptedPeer::~ScriptedPeer()
{
    Stop();
    if (FListener >= 0)
        close(FListener);
    close(FStopSignal);
}

void ScriptedPeer::Run()
{
    // OpenSSL writes with write(): a client that has gone must give EPIPE here, not end
    // the test program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (size_t index = 0; index < FConnections; ++index) {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FReceived.emplace_back();
        }
        if (!Wait(FListener, POLLIN, "a connection", index))
            break;
        const int socket = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket < 0) {
            Fail(index, "accept failed");
            break;
        }
        {
            std::lock_guard<std::mutex> lock(FLock);
            ++FAccepted;
        }
        if (index + 1 == FConnections) {
            close(FListener);
            FListener = -1;
        }
        Play(index, socket);
    }
    {
        std::lock_guard<std::mutex> lock(FLock);
        FFinished = true;
    }
    FChanged.notify_all();
}

bool ScriptedPeer::ReadCount(Link& link, size_t count)
{
    while (FReceived[link.Index].size() < link.Consumed + count) {
        if (!ReceiveSome(link)) {
            Fail(link.Index, "the client closed before sending " + std::to_string(count) + " more bytes");
            return false;
        }
    }
    link.Consumed += count;
    return true;
}

bool ScriptedPeer::ReadUntil(Link& link, const std::string& marker)
{
    for (;;) {
        const size_t found = FReceived[link.Index].find(marker, link.Consumed);
        if (found != std::string::npos) {
            link.Consumed = found + marker.size();
            return true;
        }
        if (!ReceiveSome(link)) {
            Fail(link.Index, "the client closed before sending the marker");
            return false;
        }
    }
}

bool ScriptedPeer::Send(Link& link, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        short wait = POLLOUT;
        const long n = link.Write(bytes.data() + sent, bytes.size() - sent, wait);
        if (n < 0) {
            Fail(link.Index, std::string("send failed: ") + std::strerror(errno));
            return false;
        }
        if (n > 0)
            sent += static_cast<size_t>(n);
        else if (!Wait(link.Socket, wait, "room to send", link.Index))
            return false;
    }
    return true;
}

bool ScriptedPeer::Hold(size_t index, const std::string& name)
{
    std::unique_lock<std::mutex> lock(FLock);
    FHolding = name;
    FChanged.notify_all();
    const bool released = FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs),
                                            [&] { return FStopping || FReleased.count(name) > 0; });
    FHolding.clear();
    if (!released) {
        lock.unlock();
        Fail(index, "hold " + name + " was never released");
        return false;
    }
    return !FStopping;
}

void ScriptedPeer::Reset(const Link& link)
{
    const linger abortive{1, 0};
    setsockopt(link.Socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
}

void ScriptedPeer::Drain(Link& link)
{
    while (ReceiveSome(link)) {
    }
}

bool ScriptedPeer::ReceiveSome(Link& link)
{
    char block[65536];
    for (;;) {
        short wait = POLLIN;
        const long n = link.Read(block, sizeof block, wait);
        if (n > 0) {
            std::lock_guard<std::mutex> lock(FLock);
            FReceived[link.Index].append(block, static_cast<size_t>(n));
            return true;
        }
        if (n < 0 || !Wait(link.Socket, wait, "client bytes", link.Index))
            return false;
    }
}

bool ScriptedPeer::Wait(int socket, short events, const char* what, size_t index)
{
    pollfd waits[2] = {{socket, events, 0}, {FStopSignal, POLLIN, 0}};
    int ready;
    do {
        ready = poll(waits, 2, SafetyLimitMs);
    } while (ready < 0 && errno == EINTR);
    if (waits[1].revents != 0)
        return false;
    if (ready == 0) {
        Fail(index, std::string("timed out waiting for ") + what);
        return false;
    }
    return ready > 0;
}

void ScriptedPeer::SetDripping(bool dripping)
{
    std::lock_guard<std::mutex> lock(FLock);
    FDripping = dripping;
}

void ScriptedPeer::Fail(size_t index, const std::string& why)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (!FStopping)
        FFailures.push_back("connection " + std::to_string(index) + ": " + why);
}

void ScriptedPeer::Release(const std::string& name)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FReleased.insert(name);
    }
    FChanged.notify_all();
}

bool ScriptedPeer::WaitUntilHolding(const std::string& name)
{
    std::unique_lock<std::mutex> lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs), [&] { return FHolding == name; });
}

bool ScriptedPeer::IsHolding(const std::string& name) const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FHolding == name;
}

bool ScriptedPeer::IsStalling() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return !FHolding.empty() || FDripping;
}

bool ScriptedPeer::Finish()
{
    // A server that never started has nothing to finish.
    if (!FThread.joinable())
        return true;
    std::unique_lock<std::mutex> lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs), [&] { return FFinished; });
}

size_t ScriptedPeer::ConnectionCount() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FAccepted;
}

std::string ScriptedPeer::Received(size_t connection) const
{
    std::lock_guard<std::mutex> lock(FLock);
    return connection < FReceived.size() ? FReceived[connection] : std::string();
}

std::vector<std::string> ScriptedPeer::Failures() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FFailures;
}
