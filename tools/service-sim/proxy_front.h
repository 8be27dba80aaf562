// The simulator's proxies: an HTTP proxy (absolute-form requests and CONNECT) and a
// SOCKS5 proxy (RFC 1928, with RFC 1929 user and password), each on a port of its own,
// each optionally asking for one user and password. They relay to loopback addresses
// only (the services of this simulator), so they are no open proxy, and say on the
// console, and in the log when there is one, what they relay.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RequestLog;

enum class ProxyProtocol { Http, Socks5 };

class ProxyFront {
public:
    // Listens on 127.0.0.1:port (0: any free port), and on [::1] too with ipv6;
    // credentials "user:password" or empty. Throws std::runtime_error.
    ProxyFront(ProxyProtocol protocol, uint16_t port, bool ipv6, std::string credentials, RequestLog* log);
    ~ProxyFront();
    ProxyFront(const ProxyFront&) = delete;
    ProxyFront& operator=(const ProxyFront&) = delete;

    uint16_t Port() const { return FPort; }
    void Start();

private:
    void AcceptLoop(int listener);
    void Serve(int client);
    void ServeHttp(int client);
    void ServeSocks(int client);
    void Note(const std::string& line);

    ProxyProtocol FProtocol;
    std::string FCredentials;
    RequestLog* FLog;
    uint16_t FPort = 0;
    std::vector<int> FListeners;
    int FStopEvent = -1;
    std::vector<std::thread> FThreads;
    std::mutex FNoteLock;
};
