// What the http and https benchmarks share: a loopback page server whose transport the
// benchmark gives, our client as the program configures it, and the two comparisons
// with curl, each client in turn round by round, medians compared:
//  - one GET of a 100 MB body with a Content-Length, written into a file;
//  - sequential GETs of a small page, one connection each (the server answers with
//    "Connection: close" and closes, so neither client can reuse a connection; curl
//    gets every URL on one command line, so it pays for one process start, and our
//    client closes the connection after each GET as the program does).
#pragma once

#include "net/anti_freeze.h"
#include "net/http.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

constexpr int64_t LargeBodySize = 100LL * 1024 * 1024;
constexpr int Rounds = 5;

// One accepted connection of the page server; bytes cross it as they are, unless a
// transport's own connection overrides Read and Write.
class PageConnection {
public:
    explicit PageConnection(int socket) : FSocket(socket) {}
    virtual ~PageConnection() = default;
    PageConnection(const PageConnection&) = delete;
    PageConnection& operator=(const PageConnection&) = delete;

    // How many bytes moved; 0 or less once the connection has ended or failed.
    virtual long Read(char* into, size_t size);
    virtual long Write(const char* from, size_t size);
    // The server's end of the answer, before its side of the socket closes.
    virtual void End() {}

protected:
    const int FSocket;
};

// How the page server's connections begin: as they are accepted here, over http.
class PageTransport {
public:
    virtual ~PageTransport() = default;
    virtual std::string Scheme() const { return "http"; }
    // The connection to serve on an accepted socket (which the server closes), or
    // nullptr when it cannot begin.
    virtual std::unique_ptr<PageConnection> Open(int socket) { return std::make_unique<PageConnection>(socket); }
};

// A loopback server on its own thread: every connection gets one response to one
// request and is then closed. /large is the 100 MB body; any other path a small page.
class PageServer {
public:
    explicit PageServer(std::unique_ptr<PageTransport> transport);
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    std::string Url(const std::string& path) const;

private:
    void Run();
    bool Serve(PageConnection& connection);

    std::unique_ptr<PageTransport> FTransport;
    int FListener = -1;
    int FPort = 0;
    std::string FBlock;
    std::atomic<bool> FStopping{false};
    std::thread FThread;
};

// A message queue with nothing in it, for the anti-freeze.
class IdleMessages : public MessageQueue {
public:
    bool MessageWaiting() override { return false; }
    void ProcessMessages() override {}
    void HandleMessage() override {}
};

// Our client as the program configures it: redirects followed, an anti-freeze in place
// (its pump has nothing to do here); a benchmark adds its transport.
struct BenchClient {
    BenchClient();

    IdleMessages messages;
    TIdAntiFreeze antiFreeze{messages};
    TIdHTTP http;
};

// The files both clients write, in a scratch folder under /tmp named after the
// benchmark; the folder goes with everything in it at the end.
struct BenchFiles {
    explicit BenchFiles(const std::string& benchmark);
    ~BenchFiles();
    std::string In(const std::string& name) const { return folder + "/" + name; }

    std::string folder;
    std::string ours;
    std::string curls;
};

// Both clients' medians.
struct Medians {
    double ours = 0;
    double curl = 0;
};

// Whether curl runs here; says so on stderr when it does not.
bool CurlIsThere();
// Bytes per second of the 100 MB body into a file; curlOptions (each with a space
// before it) go on curl's command line.
Medians CompareLargeBody(TIdHTTP& http, const PageServer& server, const std::string& curlOptions,
                         const BenchFiles& files);
// Fetches per second of count small pages; curl's config file starts with curlConfig.
Medians CompareSmallPages(TIdHTTP& http, const PageServer& server, int count, const std::string& curlConfig,
                          const BenchFiles& files);
