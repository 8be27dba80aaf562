// The https side of the simulator: a second port where each connection is taken through
// the TLS handshake with a certificate of the local authority and then relayed, in the
// clear, to the plain port over loopback. So https pages, faults and the request log
// are exactly those of http. The end of the plain connection is passed on with the TLS
// close.
#pragma once

#include "local_authority.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

typedef struct ssl_ctx_st SSL_CTX;

class TlsFront {
public:
    // Listens on 127.0.0.1:tlsPort (0: any free port); throws std::runtime_error.
    TlsFront(uint16_t tlsPort, const Credential& credential);
    ~TlsFront();
    TlsFront(const TlsFront&) = delete;
    TlsFront& operator=(const TlsFront&) = delete;

    uint16_t Port() const { return FPort; }
    // Relays to plainPort, on a thread of its own, until the object goes.
    void Start(uint16_t plainPort);

private:
    void Run();
    void Relay(int client);

    SSL_CTX* FContext = nullptr;
    int FListener = -1;
    int FStopSignal = -1;
    uint16_t FPort = 0;
    uint16_t FPlainPort = 0;
    std::thread FThread;
    // Each connection is relayed on a thread of its own; the object waits for them all.
    std::mutex FLock;
    std::condition_variable FRelayEnded;
    int FRelays = 0;
};
