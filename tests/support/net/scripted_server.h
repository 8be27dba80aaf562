// A peer on 127.0.0.1 for network tests. Each accepted connection plays one script of
// data steps, in the order the connections arrive: read until the client has sent so
// many bytes or a marker, send bytes, hold until the test releases it, close or reset.
// Every byte received is recorded per connection, so a test compares the request
// bytes exactly. Nothing waits on the clock: a step waits for client bytes, for the
// client's close or for the test (each wait has only a generous safety limit, after
// which the script fails instead of hanging the test).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct ScriptStep {
    enum class Kind { ReadCount, ReadUntil, Send, Drip, Hold, Close, Reset };

    // Reads steps consume from where the previous read step ended.
    static ScriptStep Read(size_t count);
    static ScriptStep ReadUntil(std::string marker);
    static ScriptStep Send(std::string bytes);
    // Sends the bytes again and again, as fast as the client takes them, until the client
    // closes: an endless head or body.
    static ScriptStep Drip(std::string bytes);
    static ScriptStep Hold(std::string name);
    // Graceful close: the send direction ends here; the script goes on, and the bytes
    // the client still sends are recorded until it closes too.
    static ScriptStep Close();
    // Abortive close: the client sees a reset.
    static ScriptStep Reset();

    Kind kind;
    size_t count = 0;
    std::string text;
};

using Script = std::vector<ScriptStep>;

class ScriptedServer {
public:
    // One script per connection, in the order the connections are accepted; a
    // connection is accepted only once the script before it has ended. At the end of
    // a script the server records what the client sends until the client closes
    // (after Reset: nothing more). Once the last script's connection is accepted the
    // port stops listening, so a connection the scripts do not expect is refused.
    explicit ScriptedServer(std::vector<Script> connections);
    // A server that listens without playing yet, so that scripts can name its port:
    // Start plays them.
    static std::unique_ptr<ScriptedServer> Listening();
    ~ScriptedServer();
    void Start(std::vector<Script> connections);
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

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

    // Bytes received on the index-th accepted connection.
    std::string Received(size_t connection) const;
    // One line per script that could not be played to its end (client closed early,
    // safety limit reached, ...); empty when all went as written.
    std::vector<std::string> Failures() const;

private:
    ScriptedServer(std::vector<Script> connections, bool start);
    void Run();
    void Play(size_t index, int socket);
    bool WaitFor(int socket, short events, const char* what, size_t index);
    bool ReceiveSome(int socket, size_t index);
    bool SendAll(int socket, const std::string& bytes, size_t index);
    void DripUntilClosed(int socket, const std::string& bytes, size_t index);
    void Drain(int socket, size_t index);
    void Fail(size_t index, const std::string& why);

    std::vector<Script> FScripts;
    int FListener = -1;
    int FStopSignal = -1;
    int FPort = 0;

    mutable std::mutex FLock;
    std::condition_variable FChanged;
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

// A port on 127.0.0.1 whose listener never accepts and whose accept queue is full, so
// that a further connect gets no answer until the client gives it up.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    int Port() const { return FPort; }

private:
    int FListener = -1;
    int FPort = 0;
    std::vector<int> FQueued;
};

// A port on 127.0.0.1 where nothing listens: a connect is refused.
int RefusingPort();
