#include "support/net/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

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

std::unique_ptr<ScriptedServer> ScriptedServer::OnIPv6(std::vector<Script> connections, int port)
{
    return std::unique_ptr<ScriptedServer>(new ScriptedServer(std::move(connections), true, Loopback::IPv6, port));
}

ScriptedServer::ScriptedServer(std::vector<Script> connections, bool start, Loopback loopback, int port)
    : ScriptedPeer(loopback, port)
{
    if (start)
        Start(std::move(connections));
}

ScriptedServer::~ScriptedServer()
{
    Stop();
}

void ScriptedServer::Start(std::vector<Script> connections)
{
    FScripts = std::move(connections);
    StartPlaying(FScripts.size());
}

void ScriptedServer::Play(size_t index, int socket)
{
    Link link(index, socket);
    for (const ScriptStep& step : FScripts[index]) {
        if (!PlayStep(link, step))
            return;
    }
    Drain(link);
}

bool ScriptedServer::PlayStep(Link& link, const ScriptStep& step)
{
    switch (step.kind) {
    case ScriptStep::Kind::ReadCount:
        return ReadCount(link, step.count);
    case ScriptStep::Kind::ReadUntil:
        return ReadUntil(link, step.text);
    case ScriptStep::Kind::Send:
        return Send(link, step.text);
    case ScriptStep::Kind::Drip:
        SetDripping(true);
        DripUntilClosed(link, step.text);
        SetDripping(false);
        return true;
    case ScriptStep::Kind::Hold:
        return Hold(link.Index, step.text);
    case ScriptStep::Kind::Close:
        shutdown(link.Socket, SHUT_WR);
        return true;
    case ScriptStep::Kind::Reset:
        Reset(link);
        return false;
    }
    return false;
}

void ScriptedServer::DripUntilClosed(Link& link, const std::string& bytes)
{
    // Goes on where a partial send stopped, so the bytes keep their order.
    size_t at = 0;
    for (;;) {
        short wait = POLLOUT;
        const long n = link.Write(bytes.data() + at, bytes.size() - at, wait);
        // Less than 0: the client closed (a reset or a broken pipe), the drip has done
        // its work.
        if (n < 0)
            return;
        if (n > 0)
            at = (at + static_cast<size_t>(n)) % bytes.size();
        // The client neither reads nor closes: its own safety limit decides.
        else if (!Wait(link.Socket, wait, "the client to take more bytes", link.Index))
            return;
    }
}

UnansweredPort::UnansweredPort() : UnansweredPort(Loopback::IPv4, 0) {}

UnansweredPort::UnansweredPort(Loopback loopback, int port) : FPort(port)
{
    FListener = ListenOnLoopback(0, FPort, loopback);
    sockaddr_storage storage{};
    socklen_t length;
    if (loopback == Loopback::IPv6) {
        auto& address = reinterpret_cast<sockaddr_in6&>(storage);
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        address.sin6_port = htons(static_cast<uint16_t>(FPort));
        length = sizeof address;
    } else {
        auto& address = reinterpret_cast<sockaddr_in&>(storage);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(FPort));
        length = sizeof address;
    }
    // Connect until one stays unanswered: the queue is full from then on. Loopback
    // handshakes complete at once, so a connect that is still pending after the wait
    // below was dropped by the full queue.
    for (int attempt = 0; attempt < 64; ++attempt) {
        const int client = socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        FQueued.push_back(client);
        connect(client, reinterpret_cast<sockaddr*>(&storage), length);
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
