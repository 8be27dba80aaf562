// The real service-sim program started as a child process on a free port, and a raw
// socket client to talk to it byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class SimProcess {
public:
    // Starts the program with `--port 0` and the given options, and reads its first line.
    explicit SimProcess(const std::vector<std::string>& options);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& FirstLine() const { return FFirstLine; }
    // The port named by the first line; 0 when it did not announce one.
    uint16_t Port() const { return FPort; }

    // Sends SIGTERM and waits: the exit code, or 128 + the signal that ended it.
    int Stop();

    // Runs the program with these arguments to its end; its exit code.
    static int RunToEnd(const std::vector<std::string>& arguments);

private:
    pid_t FChild = -1;
    std::string FFirstLine;
    uint16_t FPort = 0;
};

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

// The request head the program sends for a target.
std::string ProgramRequest(std::string_view target, uint16_t port, std::string_view extraHeaders = "");
