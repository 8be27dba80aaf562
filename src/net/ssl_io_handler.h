// The secure transport: the socket transport with TLS (OpenSSL 3) over it. While
// PassThrough is set it is the plain socket transport, byte for byte; the client clears
// it for "https" so that every connect ends with a TLS handshake. TLS 1.2 or newer, the
// server name sent (SNI), the chain checked against the system's CA store plus CAFile,
// and the certificate checked for the host name or address that was asked for.
//
// The socket is non-blocking under TLS, and every wait of the handshake, of a read and
// of a write is a sliced wait that pumps messages as the plain transport's waits do, so
// the user can stop the connection in any phase; a socket released by a pumped handler
// ends the wait with EIdConnClosedGracefully, as in the plain transport.
#pragma once

#include "net/socket_layer.h"

#include <memory>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

class TIdSSLIOHandlerSocket : public TIdIOHandlerSocket {
public:
    TIdSSLIOHandlerSocket();
    ~TIdSSLIOHandlerSocket() override;

    void PrepareSocket() override;
    // The plain connect; then, unless PassThrough, the handshake for host.
    void ConnectSocket(const std::string& host, int32_t port, const std::string& boundIP, int32_t boundPort,
                       int32_t portLow, int32_t portHigh, int32_t timeout) override;
    // Sends the TLS close when the session is sound, then closes the socket.
    void ShutSocket() override;
    // True as soon as a receive will not wait: decrypted bytes are ready, or the TLS
    // close or an error is known.
    bool WaitReadable(int32_t timeout) override;
    // 0 for the TLS close and for a close without it (ClosedWithoutNotify tells which).
    int32_t ReceiveSome(void* memory, int32_t length) override;
    int32_t SendSome(const void* memory, int32_t length) override;
    bool ClosedWithoutNotify() const override { return FClosedWithoutNotify; }

    // The handshake over the connected socket, for hostName (a name or an IPv4 address):
    // how the tunnel through a proxy turns encrypted. Clears PassThrough.
    void StartSSL(const std::string& hostName);
    // A TLS session is established on the current socket.
    bool Encrypted() const { return FSSL != nullptr && FHandshakeDone; }

    bool PassThrough = true;
    // A PEM file of further trusted authorities beside the system's store; empty: none.
    // Read at the first handshake.
    std::string CAFile;

private:
    SSL_CTX* Context();
    void FreeSession();
    // The wait of one TLS step that needs the socket readable (or writable). No limit
    // for -2; false when the limit expired. Raises EIdConnClosedGracefully when a handler
    // run by the pump released the socket.
    bool WaitForSocket(bool writable, int32_t timeout);
    // What a TLS read or write that moved nothing means: wait for the socket and try
    // again, or an ending (the close, a socket error or a broken record) that is kept
    // for ReportEnding.
    enum class Step { WantRead, WantWrite, Closed, Failed };
    Step AfterFailedIO(int result);
    // The kept ending: 0 for a close, -1 with the socket layer's error set, or the
    // raised error of a broken record.
    int32_t ReportEnding();

    SSL_CTX* FContext = nullptr;
    SSL* FSSL = nullptr;
    bool FHandshakeDone = false;
    bool FClosedWithoutNotify = false;
    // The session can no longer send its close (an error or the peer's close was met).
    bool FSessionBroken = false;
    // What a read found while waiting, reported by the next ReceiveSome.
    bool FClosePending = false;
    int FFailedError = 0;
    std::string FDataError;
    // Why the certificate was refused, written by the chain check during the handshake.
    std::string FRefusal;
    std::string FHostName;
};
