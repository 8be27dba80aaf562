// A peer on 127.0.0.1 for network tests. Each accepted connection plays one script of
// data steps, in the order the connections arrive: read until the client has sent so
// many bytes or a marker, send bytes, hold until the test releases it, close or reset.
#pragma once

#include "support/net/scripted_peer.h"

#include <cstddef>
#include <memory>
#include <string>
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

// The plain peer: every step speaks in the clear.
class ScriptedServer : public ScriptedPeer {
public:
    // One script per connection, in the order the connections are accepted; a
    // connection is accepted only once the script before it has ended. At the end of
    // a script the server records what the client sends until the client closes
    // (after Reset: nothing more).
    explicit ScriptedServer(std::vector<Script> connections);
    // A server that listens without playing yet, so that scripts can name its port:
    // Start plays them.
    static std::unique_ptr<ScriptedServer> Listening();
    // A server on ::1 (on port, or one the system picks) that plays the scripts at once.
    static std::unique_ptr<ScriptedServer> OnIPv6(std::vector<Script> connections, int port = 0);
    ~ScriptedServer() override;
    void Start(std::vector<Script> connections);

private:
    // Listens, and plays the scripts when start is set.
    ScriptedServer(std::vector<Script> connections, bool start, Loopback loopback = Loopback::IPv4, int port = 0);
    void Play(size_t index, int socket) override;
    bool PlayStep(Link& link, const ScriptStep& step);
    void DripUntilClosed(Link& link, const std::string& bytes);

    std::vector<Script> FScripts;
};

// A port on 127.0.0.1 (or ::1) whose listener never accepts and whose accept queue is full, so
// that a further connect gets no answer until the client gives it up.
class UnansweredPort {
public:
    UnansweredPort();
    // On that loopback address and port (0: one the system picks).
    UnansweredPort(Loopback loopback, int port);
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
