#include "support/net/scripted_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Only a guard against a test that never gives the step what it waits for.
constexpr int SafetyLimitMs = 20000;

int ListenOnLoopback(int backlog, int& port)
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        throw std::runtime_error("test server: no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, backlog) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listener);
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return listener;
}

} // namespace

ScriptStep ScriptStep::Read(size_t count)
{
    return {Kind::ReadCount, count, {}};
}

ScriptStep ScriptStep::ReadUntil(std::string marker)
{
    return {Kind::ReadUntil, 0, std::move(marker)};
}

ScriptStep ScriptStep::Send(std::string bytes)
{
    return {Kind::Send, 0, std::move(bytes)};
}

ScriptStep ScriptStep::Drip(std::string bytes)
{
    return {Kind::Drip, 0, std::move(bytes)};
}

ScriptStep ScriptStep::Hold(std::string name)
{
    return {Kind::Hold, 0, std::move(name)};
}

ScriptStep ScriptStep::Close()
{
    return {Kind::Close, 0, {}};
}

ScriptStep ScriptStep::Reset()
{
    return {Kind::Reset, 0, {}};
}

ScriptedServer::ScriptedServer(std::vector<Script> connections) : ScriptedServer(std::move(connections), true) {}

std::unique_ptr<ScriptedServer> ScriptedServer::Listening()
{
    return std::unique_ptr<ScriptedServer>(new ScriptedServer({}, false));
}

ScriptedServer::ScriptedServer(std::vector<Script> connections, bool start)
{
    FListener = ListenOnLoopback(16, FPort);
    FStopSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (start)
        Start(std::move(connections));
}

void ScriptedServer::Start(std::vector<Script> connections)
{
    FScripts = std::move(connections);
    // With nothing to play the port refuses at once, before any client can try it.
    if (FScripts.empty()) {
        close(FListener);
        FListener = -1;
    }
    FThread = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer()
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
    if (FListener >= 0)
        close(FListener);
    close(FStopSignal);
}

void ScriptedServer::Run()
{
    for (size_t index = 0; index < FScripts.size(); ++index) {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FReceived.emplace_back();
        }
        if (!WaitFor(FListener, POLLIN, "a connection", index))
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
        if (index + 1 == FScripts.size()) {
            close(FListener);
            FListener = -1;
        }
        Play(index, socket);
        close(socket);
    }
    {
        std::lock_guard<std::mutex> lock(FLock);
        FFinished = true;
    }
    FChanged.notify_all();
}

void ScriptedServer::Play(size_t index, int socket)
{
    size_t consumed = 0;
    for (const ScriptStep& step : FScripts[index]) {
        switch (step.kind) {
        case ScriptStep::Kind::ReadCount:
            while (FReceived[index].size() < consumed + step.count) {
                if (!ReceiveSome(socket, index)) {
                    Fail(index, "the client closed before sending " + std::to_string(step.count) + " more bytes");
                    return;
                }
            }
            consumed += step.count;
            break;
        case ScriptStep::Kind::ReadUntil:
            for (;;) {
                const size_t found = FReceived[index].find(step.text, consumed);
                if (found != std::string::npos) {
                    consumed = found + step.text.size();
                    break;
                }
                if (!ReceiveSome(socket, index)) {
                    Fail(index, "the client closed before sending the marker");
                    return;
                }
            }
            break;
        case ScriptStep::Kind::Send:
            if (!SendAll(socket, step.text, index))
                return;
            break;
        case ScriptStep::Kind::Drip: {
            {
                std::lock_guard<std::mutex> lock(FLock);
                FDripping = true;
            }
            DripUntilClosed(socket, step.text, index);
            std::lock_guard<std::mutex> lock(FLock);
            FDripping = false;
            break;
        }
        case ScriptStep::Kind::Hold: {
            std::unique_lock<std::mutex> lock(FLock);
            FHolding = step.text;
            FChanged.notify_all();
            const bool released = FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs),
                                                    [&] { return FStopping || FReleased.count(step.text) > 0; });
            FHolding.clear();
            if (!released) {
                lock.unlock();
                Fail(index, "hold " + step.text + " was never released");
                return;
            }
            if (FStopping)
                return;
            break;
        }
        case ScriptStep::Kind::Close:
            shutdown(socket, SHUT_WR);
            break;
        case ScriptStep::Kind::Reset: {
            const linger abortive{1, 0};
            setsockopt(socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            return;
        }
        }
    }
    Drain(socket, index);
}

bool ScriptedServer::WaitFor(int socket, short events, const char* what, size_t index)
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

bool ScriptedServer::ReceiveSome(int socket, size_t index)
{
    char block[65536];
    for (;;) {
        const ssize_t n = recv(socket, block, sizeof block, 0);
        if (n > 0) {
            std::lock_guard<std::mutex> lock(FLock);
            FReceived[index].append(block, static_cast<size_t>(n));
            return true;
        }
        if (n == 0)
            return false;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (!WaitFor(socket, POLLIN, "client bytes", index))
            return false;
    }
}

bool ScriptedServer::SendAll(int socket, const std::string& bytes, size_t index)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(socket, POLLOUT, "room to send", index))
                return false;
            continue;
        }
        Fail(index, std::string("send failed: ") + std::strerror(errno));
        return false;
    }
    return true;
}

void ScriptedServer::DripUntilClosed(int socket, const std::string& bytes, size_t index)
{
    // Goes on where a partial send stopped, so the bytes keep their order.
    size_t at = 0;
    for (;;) {
        const ssize_t n = send(socket, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n > 0) {
            at = (at + static_cast<size_t>(n)) % bytes.size();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The client neither reads nor closes: its own safety limit decides.
            if (!WaitFor(socket, POLLOUT, "the client to take more bytes", index))
                return;
            continue;
        }
        // The client closed (a reset or a broken pipe): the drip has done its work.
        return;
    }
}

void ScriptedServer::Drain(int socket, size_t index)
{
    while (ReceiveSome(socket, index)) {
    }
}

void ScriptedServer::Fail(size_t index, const std::string& why)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (!FStopping)
        FFailures.push_back("connection " + std::to_string(index) + ": " + why);
}

void ScriptedServer::Release(const std::string& name)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FReleased.insert(name);
    }
    FChanged.notify_all();
}

bool ScriptedServer::WaitUntilHolding(const std::string& name)
{
    std::unique_lock<std::mutex> lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs), [&] { return FHolding == name; });
}

bool ScriptedServer::IsHolding(const std::string& name) const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FHolding == name;
}

bool ScriptedServer::IsStalling() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return !FHolding.empty() || FDripping;
}

size_t ScriptedServer::ConnectionCount() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FAccepted;
}

bool ScriptedServer::Finish()
{
    std::unique_lock<std::mutex> lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs), [&] { return FFinished; });
}

std::string ScriptedServer::Received(size_t connection) const
{
    std::lock_guard<std::mutex> lock(FLock);
    return connection < FReceived.size() ? FReceived[connection] : std::string();
}

std::vector<std::string> ScriptedServer::Failures() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FFailures;
}

UnansweredPort::UnansweredPort()
{
    FListener = ListenOnLoopback(0, FPort);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(FPort));
    // Connect until one stays unanswered: the queue is full from then on. Loopback
    // handshakes complete at once, so a connect that is still pending after the wait
    // below was dropped by the full queue.
    for (int attempt = 0; attempt < 64; ++attempt) {
        const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        FQueued.push_back(client);
        connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd wait{client, POLLOUT, 0};
        if (poll(&wait, 1, 500) == 0)
            return;
    }
    throw std::runtime_error("test server: the listen queue never filled");
}

UnansweredPort::~UnansweredPort()
{
    for (int client : FQueued)
        close(client);
    close(FListener);
}

int RefusingPort()
{
    int port = 0;
    const int listener = ListenOnLoopback(1, port);
    close(listener);
    return port;
}
