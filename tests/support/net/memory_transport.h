// A transport without sockets, for driving the whole HTTP client from memory: the data
// exchange cases run through it as well as through the loopback server, and a fuzzer
// can feed it any bytes. Assign it to a client with SetIOHandler; each connection the
// client opens takes the next scripted peer, every byte the client sends is recorded.
#pragma once

#include "net/connection.h"

#include <cstdint>
#include <string>
#include <vector>

class MemoryTransport : public TIdIOHandler {
public:
    // One scripted peer: the bytes it sends, then how its side ends.
    struct Peer {
        enum class End {
            // No more bytes ever come: a read that needs more ends in EIdReadTimeout, as a
            // read limit would end a wait on a server that stopped sending.
            StaysOpen,
            Close,
            // The read that needs more fails with 10054, "Connection reset by peer.".
            Reset,
        };

        // The port the client has to connect to for this peer; 0 accepts any.
        int32_t Port = 0;
        std::string Reply;
        End Ending = End::Close;
        // What the client sent on this connection.
        std::string Received;
    };

    explicit MemoryTransport(std::vector<Peer> peers) : FPeers(std::move(peers)) {}

    // Takes the next peer, which must expect this port; with none left the connect is
    // refused (EIdSocketError 10061).
    void ConnectSocket(const std::string& host, int32_t port, const std::string& boundIP, int32_t boundPort,
                       int32_t portLow, int32_t portHigh, int32_t timeout) override;
    bool SocketOpen() override { return FOpen; }
    void ShutSocket() override { FOpen = false; }
    bool WaitReadable(int32_t timeout) override;
    int32_t ReceiveSome(void* memory, int32_t length) override;
    int32_t SendSome(const void* memory, int32_t length) override;

    // The peers in the order the client connected to them, with what each received.
    const std::vector<Peer>& Peers() const { return FPeers; }
    // How many peers the client has connected to.
    size_t Connections() const { return FNext; }

    // The most one receive hands over; a fuzzer varies it to cut the bytes anywhere.
    int32_t PieceSize = 32768;

private:
    Peer* Current();

    std::vector<Peer> FPeers;
    size_t FNext = 0;
    size_t FSent = 0;
    bool FOpen = false;
};
