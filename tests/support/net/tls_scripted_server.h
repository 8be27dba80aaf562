// A TLS peer on 127.0.0.1 for the secure transport's tests, played from data steps like
// the plain scripted server: each accepted connection plays one script. Steps before
// Handshake speak in the clear (a CONNECT exchange, plain http on the TLS port, or
// nothing at all while the handshake is held up); after it, reads and writes are
// encrypted. The connection may end with the TLS close, with a bare TCP close (no TLS
// close: what a cut looks like) or with a reset. Every byte received is recorded in the
// clear, so a test compares request heads exactly.
#pragma once

#include "local_authority.h"
#include "support/net/scripted_peer.h"

#include <memory>
#include <string>
#include <vector>

struct TlsStep {
    enum class Kind { ReadCount, ReadUntil, AwaitHello, Send, SendRaw, Hold, Handshake, CloseNotify, CloseWithoutNotify, Reset };

    static TlsStep Read(size_t count);
    static TlsStep ReadUntil(std::string marker);
    // Waits until the client's first bytes (its TLS hello) have arrived, leaving them
    // unread and unrecorded: what follows then happens after the client's connect.
    static TlsStep AwaitHello();
    static TlsStep Send(std::string bytes);
    // Bytes put on the socket as they are, past the TLS session: a forged record.
    static TlsStep SendRaw(std::string bytes);
    static TlsStep Hold(std::string name);
    // The server side of the handshake with this credential. A client that refuses the
    // certificate makes it fail, which the script expects when refused is set: the
    // script then ends there.
    static TlsStep Handshake(Credential credential, bool refused = false);
    static TlsStep CloseNotify();
    static TlsStep CloseWithoutNotify();
    static TlsStep Reset();

    Kind kind = Kind::Send;
    size_t count = 0;
    std::string text{};
    Credential credential{};
    bool refused = false;
};

using TlsScript = std::vector<TlsStep>;

class TlsScriptedServer : public ScriptedPeer {
public:
    // Listens and plays the scripts, one per connection in the order they arrive.
    explicit TlsScriptedServer(std::vector<TlsScript> connections);
    // A server that listens without playing yet, so that scripts can name its port:
    // Start plays them.
    static std::unique_ptr<TlsScriptedServer> Listening();
    void Start(std::vector<TlsScript> connections);
    ~TlsScriptedServer() override;

private:
    class SecureLink;

    // Listens, and plays the scripts when start is set.
    TlsScriptedServer(std::vector<TlsScript> connections, bool start);
    void Play(size_t index, int socket) override;
    bool PlayStep(SecureLink& link, const TlsStep& step);
    bool Handshake(SecureLink& link, const TlsStep& step);
    // Waits for the client's close without recording: before a session, its bytes are
    // a hello that no step read.
    void Discard(SecureLink& link);

    std::vector<TlsScript> FScripts;
};
