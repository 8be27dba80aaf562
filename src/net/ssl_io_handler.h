// The secure transport: the socket transport with TLS (OpenSSL 3) over it. While
// PassThrough is set it is the plain socket transport, byte for byte; the client clears
// it for "https" so that every connect ends with a TLS handshake. TLS 1.2 or newer, the
// server name sent (SNI), the chain checked against the system's CA store plus CAFile,
// and the certificate checked for the host name or address that was asked for.
//
// The socket is non-blocking under TLS. The connection cuts the waits for reading and
// writing into passes and pumps between them; the handshake, which runs inside the
// connect, waits the same way on its own, so the user can stop a stalled handshake too.
// A connection that ends without the TLS close, or a record that fails its check, is an
// error: its bytes may not be the server's.
#pragma once

#include "net/socket_layer.h"

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
    // One plain wait: true as soon as a receive will not wait (a whole record is
    // decrypted, or the session's end is known).
    bool WaitReadable(int32_t timeout) override;
    bool WaitWritable(int32_t timeout) override;
    // 0 for the TLS close. An end without it raises EIdOSSLConnectionCut, a broken record
    // EIdOSSLDataError; a socket error is -1 as in the plain transport. Each of these
    // closes the socket first, so the connection is never used again.
    int32_t ReceiveSome(void* memory, int32_t length) override;
    int32_t SendSome(const void* memory, int32_t length) override;

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
    // How a TLS step that moved nothing ended.
    enum class Step { WantRead, WantWrite, Closed, Cut, SocketFailed, BrokenRecord };

    SSL_CTX* Context();
    void FreeSession();
    // Waits in passes of the anti-freeze's slice with the pump hook after each, for at
    // most timeout ms (-2: no limit); false when the limit expired. Raises
    // EIdConnClosedGracefully when a handler run by the pump closed the connection.
    bool WaitForSocket(bool writable, int32_t timeout);
    // Classifies a failed step and keeps an ending for ReportEnding.
    Step AfterFailedIO(int result);
    // The kept ending: 0 for the TLS close; otherwise the socket is closed and the error
    // raised, or -1 returned with the socket layer's error set.
    int32_t ReportEnding();

    SSL_CTX* FContext = nullptr;
    SSL* FSSL = nullptr;
    bool FHandshakeDone = false;
    // The session can no longer send its close (an error or a cut was met).
    bool FSessionBroken = false;
    // The ending a step met, reported by the next ReceiveSome.
    Step FEnding = Step::WantRead;
    int FSocketError = 0;
    std::string FRecordError;
    // Why the certificate was refused, written by the chain check during the handshake.
    std::string FRefusal;
    std::string FHostName;
};
