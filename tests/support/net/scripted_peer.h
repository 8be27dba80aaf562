// What the plain and the TLS scripted servers share: a listener on 127.0.0.1 that plays
// one script per accepted connection, in the order the connections arrive, and the steps
// that do not depend on how the bytes travel (reads, sends, holds, a reset). Every byte
// received is recorded per connection, so a test compares the request bytes exactly.
// Nothing waits on the clock: a step waits for client bytes, for the client's close or
// for the test (each wait has only a generous safety limit, after which the script fails
// instead of hanging the test).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// Which loopback address a test peer listens on.
enum class Loopback { IPv4, IPv6 };

class ScriptedPeer {
public:
    virtual ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    int Port() const { return FPort; }

    // Lets the script go on past Hold(name).
    void Release(const std::string& name);
    // Waits until the script stands at Hold(name); everything sent before it is in the
    // client's receive queue by then.
    bool WaitUntilHolding(const std::string& name);
    // Whether the script stands at Hold(name) now; never waits, so a test may ask from
    // inside the program's own event loop.
    bool IsHolding(const std::string& name) const;
    // Whether the script stands at a hold or drips now; never waits.
    bool IsStalling() const;
    // Waits until every script has ended and each of its connections is closed.
    bool Finish();
    // How many connections have been accepted so far.
    size_t ConnectionCount() const;

    // Bytes received on the index-th accepted connection, in the clear.
    std::string Received(size_t connection) const;
    // One line per script that could not be played to its end (client closed early,
    // safety limit reached, ...); empty when all went as written.
    std::vector<std::string> Failures() const;

protected:
    // One accepted connection, and how its bytes cross: as they are on the socket here,
    // through a session in a transport that overrides Read and Write.
    class Link {
    public:
        Link(size_t index, int socket);
        virtual ~Link();
        Link(const Link&) = delete;
        Link& operator=(const Link&) = delete;

        // Moves some bytes: how many; 0 when the transport must first wait for the
        // events it puts in wait; less than 0 when the connection has ended or failed
        // (errno tells why).
        virtual long Read(char* into, size_t size, short& wait);
        virtual long Write(const char* from, size_t size, short& wait);

        const size_t Index;
        const int Socket;
        // Where the next read step starts in the connection's record.
        size_t Consumed = 0;
    };

    explicit ScriptedPeer(Loopback loopback = Loopback::IPv4, int port = 0);
    // Accepts this many connections, one at a time, and has Play play each. With none
    // the port refuses at once, and once the last one is accepted the port stops
    // listening, so a connection the scripts do not expect is refused.
    void StartPlaying(size_t connections);
    // Ends the play. A server's destructor calls it first: the playing thread calls the
    // server's own Play.
    void Stop();
    // Plays the index-th script on the accepted socket, which it then owns.
    virtual void Play(size_t index, int socket) = 0;

    // The steps every transport has; each returns whether the script goes on. The two
    // reads go on from where the previous read step ended.
    bool ReadCount(Link& link, size_t count);
    bool ReadUntil(Link& link, const std::string& marker);
    bool Send(Link& link, const std::string& bytes);
    bool Hold(size_t index, const std::string& name);
    // Abortive close: the client sees a reset once the link is gone.
    static void Reset(const Link& link);
    // Records what the client sends until it closes.
    void Drain(Link& link);

    // Waits for events on the socket; false when the server stops or the safety limit
    // is reached (a failure then).
    bool Wait(int socket, short events, const char* what, size_t index);
    void SetDripping(bool dripping);
    void Fail(size_t index, const std::string& why);

private:
    void Run();
    bool ReceiveSome(Link& link);

    size_t FConnections = 0;
    int FListener = -1;
    int FStopSignal = -1;
    int FPort = 0;

    mutable std::mutex FLock;
    std::condition_variable FChanged;
    // Only the playing thread writes a record, so it reads its own without the lock.
    std::vector<std::string> FReceived;
    std::vector<std::string> FFailures;
    std::set<std::string> FReleased;
    std::string FHolding;
    bool FDripping = false;
    size_t FAccepted = 0;
    bool FStopping = false;
    bool FFinished = false;

    std::thread FThread;
};

// A listening socket on 127.0.0.1 (or ::1), on port, or on one the system picks when
// port is 0 (put in port); raises std::runtime_error when there is none.
int ListenOnLoopback(int backlog, int& port, Loopback loopback = Loopback::IPv4);
