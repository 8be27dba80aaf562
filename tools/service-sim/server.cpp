#include "server.h"

#include "request.h"
#include "request_log.h"
#include "responder.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// A head that has not ended after this many bytes is not a request we will ever answer.
constexpr std::size_t maximumHeadLength = 64 * 1024;
// How long a connection whose reply ended it waits for the peer to close in turn, so that
// closing never throws away bytes still on their way to the peer.
constexpr std::chrono::seconds drainTime(2);

[[noreturn]] void ThrowSystemError(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

}

struct Server::Connection {
    int Fd = -1;
    std::string Input;
    std::size_t BodyBytesToSkip = 0;
    std::string Output;
    std::size_t OutputSent = 0;
    uint32_t WatchedEvents = EPOLLIN;
    bool CloseAfterOutput = false;
    bool Draining = false; // our side is shut; waiting for the peer's close
    bool PeerClosed = false;
    bool Broken = false;
    bool Drop = false; // reset at the first request
    std::optional<Reply> Pending; // waiting out its delay
    std::optional<Clock::time_point> Deadline;
};

Server::Server(uint16_t port, Responder& responder, RequestLog* log)
    : FResponder(responder)
    , FLog(log)
{
    FListener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (FListener < 0)
        ThrowSystemError("socket");
    int on = 1;
    setsockopt(FListener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);

    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
        int error = errno;
        close(FListener);
        errno = error;
        ThrowSystemError("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    if (listen(FListener, SOMAXCONN) < 0)
        ThrowSystemError("listen");
    socklen_t length = sizeof address;
    getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);

    FEpoll = epoll_create1(EPOLL_CLOEXEC);
    FStopEvent = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FEpoll < 0 || FStopEvent < 0)
        ThrowSystemError("epoll");
    for (int fd : { FListener, FStopEvent }) {
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.fd = fd;
        epoll_ctl(FEpoll, EPOLL_CTL_ADD, fd, &event);
    }
}

void Server::ListenOnIPv6()
{
    FListener6 = socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (FListener6 < 0)
        ThrowSystemError("socket");
    int on = 1;
    setsockopt(FListener6, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(FListener6, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    sockaddr_in6 address {};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(FPort);
    address.sin6_addr = in6addr_loopback;
    if (bind(FListener6, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0 || listen(FListener6, SOMAXCONN) < 0)
        ThrowSystemError("cannot listen on [::1]:" + std::to_string(FPort));
    epoll_event event {};
    event.events = EPOLLIN;
    event.data.fd = FListener6;
    epoll_ctl(FEpoll, EPOLL_CTL_ADD, FListener6, &event);
}

Server::~Server()
{
    while (!FConnections.empty())
        CloseConnection(FConnections.begin()->first);
    for (int fd : { FListener, FListener6, FEpoll, FStopEvent }) {
        if (fd >= 0)
            close(fd);
    }
}

void Server::RequestStop()
{
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(FStopEvent, &one, sizeof one);
}

void Server::Run()
{
    std::vector<epoll_event> events(64);
    while (!FStopping) {
        int count = epoll_wait(FEpoll, events.data(), static_cast<int>(events.size()), MillisecondsToNextDeadline());
        if (count < 0 && errno != EINTR)
            ThrowSystemError("epoll_wait");
        for (int i = 0; i < count; ++i) {
            int fd = events[i].data.fd;
            if (fd == FListener || fd == FListener6)
                AcceptConnections(fd);
            else if (fd == FStopEvent)
                FStopping = true;
            else
                HandleEvent(fd, events[i].events);
        }
        HandleDeadlines();
    }
    while (!FConnections.empty())
        CloseConnection(FConnections.begin()->first);
}

void Server::AcceptConnections(int listener)
{
    while (true) {
        int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return; // nothing more waiting, or no room for it now: the next wake-up tries again
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto connection = std::make_unique<Connection>();
        connection->Fd = fd;
        connection->Drop = FDropEvery > 0 && ++FAccepted % FDropEvery == 0;
        epoll_event event {};
        event.events = connection->WatchedEvents;
        event.data.fd = fd;
        epoll_ctl(FEpoll, EPOLL_CTL_ADD, fd, &event);
        FConnections.emplace(fd, std::move(connection));
    }
}

void Server::HandleEvent(int fd, uint32_t events)
{
    auto found = FConnections.find(fd);
    if (found == FConnections.end())
        return;
    Connection& connection = *found->second;
    if (events & EPOLLOUT)
        Flush(connection);
    if (events & (EPOLLIN | EPOLLHUP | EPOLLERR))
        ReadInput(connection);
    ProcessInput(connection);
    SettleConnection(connection);
}

void Server::ReadInput(Connection& connection)
{
    char buffer[16 * 1024];
    while (!connection.PeerClosed && !connection.Broken) {
        ssize_t received = recv(connection.Fd, buffer, sizeof buffer, 0);
        if (received > 0) {
            if (!connection.Draining)
                connection.Input.append(buffer, static_cast<std::size_t>(received));
        } else if (received == 0) {
            connection.PeerClosed = true;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        } else if (errno != EINTR) {
            connection.Broken = true;
        }
    }
}

void Server::ProcessInput(Connection& connection)
{
    while (!connection.Pending && !connection.CloseAfterOutput && !connection.Broken) {
        std::size_t skipped = std::min(connection.BodyBytesToSkip, connection.Input.size());
        connection.Input.erase(0, skipped);
        connection.BodyBytesToSkip -= skipped;
        if (connection.BodyBytesToSkip > 0)
            return;
        // Empty lines before a request line are allowed and ignored.
        std::size_t requestStart = connection.Input.find_first_not_of("\r\n");
        connection.Input.erase(0, requestStart == std::string::npos ? connection.Input.size() : requestStart);

        std::size_t headLength = FindHeadLength(connection.Input);
        if (headLength == 0) {
            if (connection.Input.size() > maximumHeadLength)
                SendReply(connection, Responder::RespondToMalformedRequest().Wire);
            return;
        }
        std::string_view head(connection.Input.data(), headLength);
        if (FLog)
            FLog->Append(head);
        if (connection.Drop) {
            // A linger of 0 makes the close a reset: the client sees its connection cut
            // before the status line.
            linger reset {1, 0};
            setsockopt(connection.Fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            connection.Broken = true;
            return;
        }
        std::optional<Request> request = ParseRequestHead(head);
        Reply reply = request ? FResponder.Respond(*request) : Responder::RespondToMalformedRequest();
        connection.Input.erase(0, headLength);
        connection.BodyBytesToSkip = request ? request->BodyLength() : 0;

        if (reply.DelayMs > 0) {
            connection.Deadline = Clock::now() + std::chrono::milliseconds(reply.DelayMs);
            connection.Pending = std::move(reply);
            return;
        }
        SendReply(connection, std::move(reply.Wire));
    }
}

void Server::SendReply(Connection& connection, WireResponse wire)
{
    connection.Output += wire.Bytes;
    connection.CloseAfterOutput = connection.CloseAfterOutput || wire.CloseAfter;
    Flush(connection);
}

void Server::Flush(Connection& connection)
{
    while (connection.OutputSent < connection.Output.size() && !connection.Broken) {
        ssize_t sent = send(connection.Fd, connection.Output.data() + connection.OutputSent,
            connection.Output.size() - connection.OutputSent, MSG_NOSIGNAL);
        if (sent > 0)
            connection.OutputSent += static_cast<std::size_t>(sent);
        else if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        else if (errno != EINTR)
            connection.Broken = true;
    }
    if (connection.OutputSent == connection.Output.size()) {
        connection.Output.clear();
        connection.OutputSent = 0;
        if (connection.CloseAfterOutput && !connection.Draining) {
            shutdown(connection.Fd, SHUT_WR);
            connection.Draining = true;
            connection.Input.clear();
            connection.Deadline = Clock::now() + drainTime;
        }
    }
    UpdateWatchedEvents(connection);
}

void Server::UpdateWatchedEvents(Connection& connection)
{
    uint32_t wanted = 0;
    if (!connection.PeerClosed)
        wanted |= EPOLLIN;
    if (!connection.Output.empty())
        wanted |= EPOLLOUT;
    if (wanted == connection.WatchedEvents)
        return;
    epoll_event event {};
    event.events = wanted;
    event.data.fd = connection.Fd;
    epoll_ctl(FEpoll, EPOLL_CTL_MOD, connection.Fd, &event);
    connection.WatchedEvents = wanted;
}

void Server::SettleConnection(Connection& connection)
{
    bool idle = !connection.Pending && connection.Output.empty();
    if (connection.Broken || (connection.PeerClosed && (connection.Draining || idle))) {
        CloseConnection(connection.Fd);
        return;
    }
    UpdateWatchedEvents(connection);
}

void Server::HandleDeadlines()
{
    Clock::time_point now = Clock::now();
    std::vector<int> due;
    for (const auto& [fd, connection] : FConnections) {
        if (connection->Deadline && *connection->Deadline <= now)
            due.push_back(fd);
    }
    for (int fd : due) {
        Connection& connection = *FConnections.at(fd);
        connection.Deadline.reset();
        if (connection.Pending) {
            WireResponse wire = std::move(connection.Pending->Wire);
            connection.Pending.reset();
            SendReply(connection, std::move(wire));
            ProcessInput(connection);
            SettleConnection(connection);
        } else if (connection.Draining) {
            CloseConnection(fd);
        }
    }
}

int Server::MillisecondsToNextDeadline() const
{
    std::optional<Clock::time_point> next;
    for (const auto& [fd, connection] : FConnections) {
        if (connection->Deadline && (!next || *connection->Deadline < *next))
            next = connection->Deadline;
    }
    if (!next)
        return -1;
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
    return wait < 0 ? 0 : static_cast<int>(wait);
}

void Server::CloseConnection(int fd)
{
    epoll_ctl(FEpoll, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    FConnections.erase(fd);
}
