// A raw socket client that talks to the simulator byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class RawClient {
public:
    // Connects to 127.0.0.1:port. Reads give up after 20 s, so a broken server fails a
    // test instead of hanging it.
    explicit RawClient(uint16_t port);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return FFd >= 0; }
    void Send(std::string_view bytes);
    // Everything up to the server's close.
    std::string ReadUntilClosed();
    // One response whose body has a Content-Length, and nothing after it.
    std::string ReadOneResponse();
    // Everything up to and including the first `marker`, or all there was when the
    // server closed first.
    std::string ReadThrough(std::string_view marker);
    // Waits for the server to close the connection: true when it did without sending
    // anything more.
    bool ServerClosed();

private:
    bool ReadMore();

    int FFd = -1;
    std::string FPending;
};
