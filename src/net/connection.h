// One TCP client connection: a byte transport below, an input buffer and an optional
// write cache above it. Every operation blocks until it is done; the transport calls the
// anti-freeze pump hook while it waits, so handlers may run in the middle of an
// operation. The only re-entry the program makes is CloseConnection, which releases the
// transport; each operation holds its own reference to the transport it is using and
// looks the current one up again after every event and pump.
#pragma once

#include "net/buffers.h"
#include "net/component.h"
#include "net/streams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TIdIOHandlerSocket;

// The byte transport under a connection: the socket transport, a secure one, or an
// in-memory one that tests and fuzzers drive. Time limits are milliseconds; -2 means no
// limit. A transport only moves bytes and waits: the connection cuts every wait into
// passes, pumps the window between them, stops waiting once SocketOpen is false (after
// the program closed the connection from a pump or a work event) and tells a clean close
// from an unclean one by what ReceiveSome returns.
class TIdIOHandler : public TIdComponent {
public:
    virtual void AfterAccepted() {}
    virtual void ShutSocket() {}
    virtual void ConnectSocket(const std::string& host, int32_t port, const std::string& boundIP,
                               int32_t boundPort, int32_t portLow, int32_t portHigh, int32_t timeout) {}
    virtual bool SocketOpen() = 0;
    // Readies the transport for a new connection.
    virtual void PrepareSocket() {}
    // True when bytes (or the peer's close) can be received, false when the limit expired.
    // One plain wait: it neither slices nor pumps.
    virtual bool WaitReadable(int32_t timeout) = 0;
    // True when SendSome can move at least one byte without blocking, false when the limit
    // expired. A transport whose sends never block keeps this default.
    virtual bool WaitWritable(int32_t timeout) { return true; }
    // One block each way: the bytes moved; 0 from a receive when the peer closed cleanly
    // (a body without a length then ends there, and a short counted body is kept); -1
    // for an error whose number the transport has set with TIdStack::SetLastError (an
    // unclean end, such as a reset or a secure session cut without its closing message,
    // is 10054 and fails the request). A transport may also raise its own EId... error.
    virtual int32_t ReceiveSome(void* memory, int32_t length) = 0;
    virtual int32_t SendSome(const void* memory, int32_t length) = 0;
};

enum TIdMaxLineAction { maException = 0, maSplit = 1 };

// The four states: Unopened (no transport), Open (transport with an allocated socket),
// Dropped (transport without a socket: the peer closed, a fatal send or receive, or
// DropSocket) and Closed (transport released by CloseConnection). A failed open leaves
// the connection Dropped.
class TIdTCPConnection : public TIdComponent {
public:
    using TNotifyEvent = std::function<void(TIdComponent& Sender)>;

    TIdTCPConnection();

    virtual void NotifyDisconnected();
    // Empties the input buffer and forgets that the peer closed.
    virtual void ResetReceiveState();
    // Drops the socket once the peer is known to have closed; raises
    // EIdConnClosedGracefully when asked to and no buffered byte is left (or ignoreBuffer).
    virtual void CheckPeerClosed(bool raiseIfClosed, bool ignoreBuffer);
    // One receive attempt with a 1 ms wait: how a kept-open connection notices a close.
    virtual void PollPeerClosed(bool raiseIfClosed);
    virtual bool IsConnected();
    // Closes the socket and releases an owned transport; the input buffer keeps its bytes.
    virtual void CloseConnection();
    virtual void DropSocket();
    // Receives one block into the input buffer: the byte count, 0 when the peer closed,
    // -1 when the wait expired without raising.
    virtual int32_t ReceiveIntoBuffer(bool raiseIfClosed = true, int32_t timeout = -1, bool raiseOnTimeout = true);
    // A maxLength of -1 means MaxLineLength, 0 no limit; an empty terminator means LF.
    virtual std::string ReadLine(const std::string& terminator = "\n", int32_t timeout = -1, int32_t maxLength = -1);
    virtual void WriteText(const std::string& text);
    virtual void WriteLine(const std::string& text);
    virtual void WriteFromStream(Stream& stream, bool fromStart = true, int32_t size = 0, bool sendSize = false);

    void ReadExact(void* destination, int32_t count);
    // count -1 without untilClosed reads a 32-bit length first. The stream is written from
    // its position and cut there at the end; it is never grown ahead of the bytes read.
    void ReadToStream(Stream& stream, int32_t count = -1, bool untilClosed = false);
    int32_t ReadInt32(bool convert = true);
    void WriteBytes(const void* data, int32_t count, bool writeNow = false);
    void WriteInt32(int32_t value, bool convert = true);
    // Collects writes until FinishWriteCache; a threshold above 0 sends whenever that
    // many bytes are collected.
    void StartWriteCache(int32_t threshold = -1);
    void FlushWriteCache(int32_t count = -1);
    void FinishWriteCache();
    void DiscardWriteCache();

    const std::shared_ptr<TIdIOHandler>& IOHandler() const { return FIOHandler; }
    // A transport assigned from outside is not released by CloseConnection.
    void SetIOHandler(std::shared_ptr<TIdIOHandler> transport);
    const std::shared_ptr<TIdIOHandlerSocket>& SocketHandler() const { return FSocketHandler; }

    TIdManagedBuffer& InputBuffer() { return FInBuffer; }
    bool PeerClosed() const { return FPeerClosed; }
    bool WriteCacheActive() const { return FWriteCache != nullptr; }
    // The last ReadLine returned the first MaxLineLength bytes of a longer line.
    bool LineSplit() const { return FLineSplit; }
    // The last ReadLine met the peer's close before a terminator and returned "".
    bool LineAborted() const { return FLineAborted; }

    TIdMaxLineAction MaxLineAction = maException;
    int32_t MaxLineLength = 16384;
    TNotifyEvent OnDisconnected;
    // 0: reads wait without limit.
    int32_t ReadTimeout = 0;
    int32_t RecvBufferSize = 32768;
    int32_t SendBufferSize = 32768;

protected:
    // Set when OpenConnection created the transport; CloseConnection then releases it.
    bool FOwnsIOHandler = false;
    std::shared_ptr<TIdIOHandler> FIOHandler;
    std::shared_ptr<TIdIOHandlerSocket> FSocketHandler;

private:
    // Receives until count bytes are buffered; raises EIdConnClosedGracefully when the
    // peer closes first, even with bytes buffered.
    void WaitForBuffered(int32_t count);
    // Waits until the transport can receive (or send), for at most timeout ms (-2: no
    // limit). While the anti-freeze is in use the wait is cut into passes of at most
    // IdleTimeOut that end when a pump is due, and the pump hook runs after each pass, so
    // the window is pumped at least every IdleTimeOut whether bytes arrive or not. A pass
    // that finds the transport's socket closed (a handler closed the connection) raises
    // EIdConnClosedGracefully for a read and EIdNotConnected for a write.
    bool WaitForTransport(TIdIOHandler& transport, int32_t timeout, bool writing);

    bool FPeerClosed = false;
    TIdManagedBuffer FInBuffer;
    bool FLineSplit = false;
    bool FLineAborted = false;
    std::unique_ptr<TIdSimpleBuffer> FWriteCache;
    int32_t FWriteCacheThreshold = 0;
};

class TIdTCPClient : public TIdTCPConnection {
public:
    const std::string& Host() const { return FHost; }
    int32_t Port() const { return FPort; }

    virtual void SetHost(const std::string& host);
    virtual void SetPort(int32_t port);
    virtual void NotifyConnected();
    // Creates a socket transport when there is none, then looks up, binds and connects.
    // Raises EIdAlreadyConnected on an open connection; a failure drops the socket.
    virtual void OpenConnection(int32_t timeout = -1);

    std::string BoundIP;
    int32_t BoundPort = 0;
    int32_t BoundPortLow = 0;
    int32_t BoundPortHigh = 0;
    TNotifyEvent OnConnected;

private:
    std::string FHost;
    int32_t FPort = 0;
};
