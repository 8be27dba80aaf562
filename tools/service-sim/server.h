// The listening side: one thread, one epoll loop, any number of connections. Each
// connection reads request heads, has the responder answer them in order, waits out a
// reply's delay without holding up the others, and closes when the reply says so.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <unordered_map>

class Responder;
class RequestLog;
struct WireResponse;

class Server {
public:
    // Listens on 127.0.0.1:port (0 for any free port); throws std::runtime_error.
    Server(uint16_t port, Responder& responder, RequestLog* log);
    // Also listens on [::1] on the same port.
    void ListenOnIPv6();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    uint16_t Port() const { return FPort; }
    // Every n-th connection (from 1) is reset when its first request arrives, before any
    // byte of an answer; 0: none.
    void SetDropEvery(int n) { FDropEvery = n; }

    // Serves until RequestStop; then closes every connection.
    void Run();
    // Safe to call from another thread or from a signal handler.
    void RequestStop();

private:
    using Clock = std::chrono::steady_clock;
    struct Connection;

    void AcceptConnections(int listener);
    void HandleEvent(int fd, uint32_t events);
    void ReadInput(Connection& connection);
    void ProcessInput(Connection& connection);
    void SendReply(Connection& connection, WireResponse wire);
    void Flush(Connection& connection);
    void UpdateWatchedEvents(Connection& connection);
    // Closes a connection that is broken or finished, or watches for what it waits for.
    void SettleConnection(Connection& connection);
    void HandleDeadlines();
    int MillisecondsToNextDeadline() const;
    void CloseConnection(int fd);

    Responder& FResponder;
    RequestLog* FLog;
    int FListener = -1;
    int FListener6 = -1;
    int FEpoll = -1;
    int FStopEvent = -1;
    uint16_t FPort = 0;
    bool FStopping = false;
    int FDropEvery = 0;
    long long FAccepted = 0;
    std::unordered_map<int, std::unique_ptr<Connection>> FConnections;
};
