// The socket transport over POSIX sockets. Every platform error is reported with the
// WinSock number and text the program shows for it (ECONNREFUSED as 10061 "Connection
// refused.", a failed name lookup as 11001 "Host not found."); the mapping is one table
// in socket_errors.cpp.
#pragma once

#include "net/connection.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The WinSock error numbers the transport acts on. Their texts, and the platform errno
// values that map onto them, are in the one table in socket_errors.cpp.
constexpr int WSAEBADF = 10009;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAHOST_NOT_FOUND = 11001;

// The process-wide socket layer. It exists while at least one component exists.
class TIdStack {
public:
    static void AddStackUser();
    static void RemoveStackUser();
    static int StackUsers();
    static TIdStack* StackInstance();

    // Names that need no lookup: "localhost" in any case and IP texts; any other name
    // gives its first address, or raises EIdSocketError WSAHOST_NOT_FOUND. The lookup
    // runs off this thread, pumping, and stopped ends it (LookupAddresses).
    std::string LookupHost(const std::string& host, const std::function<bool()>& stopped = {});
    // Every address of host, IPv6 ones first, each family in the resolver's order.
    std::vector<std::string> LookupHostAddresses(const std::string& host, const std::function<bool()>& stopped = {});
    static bool IsLocalHostName(const std::string& host);
    // Exactly four dot-separated integers from 0 to 255 (1.2.3 and 1.2.3.4.5 fail). The
    // cookies' IsIPv4Address is looser: it trims and ignores what follows a fourth dot.
    static bool IsIPv4Text(const std::string& text);
    // An IPv6 address as text, without brackets ("::1", "2001:db8::5").
    static bool IsIPv6Text(const std::string& text);

    // A result of -1 raises EIdSocketError for the calling thread's last error unless
    // that number is tolerated; returns true for a tolerated failure.
    bool CheckSocketResult(int result, std::initializer_list<int> tolerated = {});
    [[noreturn]] void ThrowSocketError(int errorNumber);
    static std::string SocketErrorText(int errorNumber);
    // The WinSock number for a platform errno value; an unknown value is kept as it is.
    static int WinSockErrorNumber(int platformError);
    // The WinSock number of the calling thread's last failed socket call.
    int WSGetLastError() const;
    void SetLastError(int errorNumber);

    // The socket calls. Each returns -1 on failure with the thread's last error set.
    int WSSocket(bool ipv6 = false);
    int WSBind(int socket, const std::string& ip, int32_t port);
    // A connect that gives up with WSAENOTSOCK as soon as abandonSignal becomes readable.
    // A connect in two steps: WSStartConnect never waits and answers 0 (connected), -1
    // (failed, with the error number set) or ConnectInProgress; WSFinishConnect waits at
    // most timeout ms (-1: no limit) for the connect or the abandon signal, with the same
    // answers.
    static constexpr int ConnectInProgress = 1;
    int WSStartConnect(int socket, const std::string& ip, int32_t port);
    int WSFinishConnect(int socket, int abandonSignal, int32_t timeout);
    // Waits at most timeout ms until one of the connects started on sockets has ended
    // (or the abandon signal, when not -1, is raised).
    void WSAwaitConnects(const std::vector<int>& sockets, int abandonSignal, int32_t timeout);
    // 1 when readable (or writable), 0 when the limit (-2: none) expired, -1 on error.
    int WSPollReadable(int socket, int32_t timeout);
    int WSPollWritable(int socket, int32_t timeout);
    int WSRecv(int socket, void* memory, int32_t length);
    int WSSend(int socket, const void* memory, int32_t length);
    void WSShutdownSend(int socket);
    void WSCloseSocket(int socket);
    int WSGetSockName(int socket, std::string& ip, int32_t& port);
    int WSGetPeerName(int socket, std::string& ip, int32_t& port);
    int WSSetNoDelay(int socket);
};

// One socket with its local and peer addresses.
class TIdSocketHandle {
public:
    TIdSocketHandle();
    virtual ~TIdSocketHandle();
    TIdSocketHandle(const TIdSocketHandle&) = delete;
    TIdSocketHandle& operator=(const TIdSocketHandle&) = delete;

    // Releases any socket held, then creates a stream socket of IPv4 or IPv6.
    void AllocateHandle(bool ipv6 = false);
    // Puts a socket connected elsewhere in place of the one held (which is closed) and
    // reads its addresses.
    void TakeConnectedSocket(int socket);
    // Shuts the send direction and closes the socket. A connect still running on the
    // connect worker is abandoned first and the socket is closed only after it ended,
    // so the worker never acts on a closed or reused descriptor.
    virtual void ReleaseHandle();
    // Releases the socket and forgets the addresses.
    void Reset();
    // Binds to IP and Port, or to a port of ClientPortMin..ClientPortMax (tried from
    // the top), then reads the bound address back.
    void BindLocal();
    void SetPeerAddress(const std::string& ip, int32_t port);
    // The connect call's result (0 or -1); on success the addresses are read back.
    // Safe to call on the connect worker while the owning thread releases the socket.
    // It finishes a connect that ConnectIfAtOnce left in progress.
    virtual int ConnectToPeer();
    // Starts the connect on the calling thread; true with its result in `result` when it
    // ended at once (as a loopback connect does), false when it is still in progress and
    // ConnectToPeer must wait for it.
    bool ConnectIfAtOnce(int& result);
    // Wakes a ConnectToPeer running on another thread, which then fails with WSAENOTSOCK.
    void AbandonConnect();
    // One wait (-2: no limit); the connection above slices it and pumps between the
    // slices. A released socket raises EIdConnClosedGracefully (reading) or
    // EIdNotConnected (writing).
    bool PollReadable(int32_t timeout);
    bool PollWritable(int32_t timeout);
    int Receive(void* memory, int32_t length);
    // Sends what the socket takes now, waiting only while it takes nothing.
    int Send(const void* memory, int32_t length);

    bool Allocated() const { return FAllocated; }
    int SocketValue() const { return FSocketValue; }
    const std::string& PeerIP() const { return FPeerIPText; }
    int32_t PeerPort() const { return FPeerPortNumber; }

    std::string IP;
    int32_t Port = 0;
    int32_t ClientPortMin = 0;
    int32_t ClientPortMax = 0;

private:
    // Makes socket the handle's own, with no connect pending or abandoned.
    void Adopt(int socket);
    // The local and peer addresses of a connected socket; 0 or the failed call's result.
    int ReadBackAddresses();

    int FSocketValue = -1;
    bool FAllocated = false;
    std::string FPeerIPText;
    int32_t FPeerPortNumber = 0;

    // The connect worker and the owning thread meet here: FConnecting is set while
    // ConnectToPeer runs, the abandon signal (an eventfd) wakes it, and FAbandoned
    // refuses a connect that starts after it was abandoned.
    std::mutex FConnectLock;
    std::condition_variable FConnectEnded;
    bool FConnecting = false;
    bool FAbandoned = false;
    bool FConnectPending = false;
    int FAbandonSignal = -1;
};

class TIdIOHandlerSocket : public TIdIOHandler {
public:
    void ShutSocket() override;
    void ConnectSocket(const std::string& host, int32_t port, const std::string& boundIP, int32_t boundPort,
                       int32_t portLow, int32_t portHigh, int32_t timeout) override;
    bool SocketOpen() override;
    void PrepareSocket() override;
    bool WaitReadable(int32_t timeout) override;
    bool WaitWritable(int32_t timeout) override;
    int32_t ReceiveSome(void* memory, int32_t length) override;
    int32_t SendSome(const void* memory, int32_t length) override;

    // Runs the connect on a worker while this thread waits in slices, pumping messages,
    // for at most timeout ms (-2: no limit). A connect that ends at once needs no worker,
    // unless TryConnectAtOnce is off.
    void ConnectWait(int32_t timeout);
    // Connects to the first of addresses that answers, on this thread, pumping between
    // slices: a connect that fails starts the next address at once, one that has not
    // ended after ConnectAttemptDelay ms starts the next while it stays in play, and the
    // first to connect wins (the others are closed). Stop (the socket released) ends it
    // with EIdNotConnected; past timeout ms (-2: no limit) EIdConnectTimeout; when every
    // address failed, the last failure is raised.
    void ConnectToFirstOf(const std::vector<std::string>& addresses, int32_t port, int32_t timeout);

    TIdSocketHandle* SocketHandle() const { return FSocketHandle.get(); }
    // Whether the last connect of ConnectWait ran on the worker thread.
    bool LastConnectUsedWorker() const { return FLastConnectUsedWorker; }

    bool UseNagle = true;
    // Off: every connect of ConnectWait goes through the worker, as one that does not
    // end at once does. Loopback connects end at once, so tests turn this off to run the
    // worker's endings.
    bool TryConnectAtOnce = true;

private:
    std::unique_ptr<TIdSocketHandle> FSocketHandle;
    bool FLastConnectUsedWorker = false;
};

// The short-lived worker that makes one connect call for ConnectWait.
class TIdConnectThread {
public:
    explicit TIdConnectThread(TIdSocketHandle& target);
    // Abandons a connect still running and waits for the worker to end.
    ~TIdConnectThread();
    TIdConnectThread(const TIdConnectThread&) = delete;
    TIdConnectThread& operator=(const TIdConnectThread&) = delete;

    void Start();
    // Waits at most milliseconds for the worker to mark itself terminated.
    bool WaitForTerminated(int32_t milliseconds);
    bool Terminated();
    void WaitFor();
    // The message of the error the connect raised, empty when it succeeded or failed silently.
    const std::string& ErrorText() const { return FErrorText; }

private:
    void Execute();

    TIdSocketHandle* FTarget;
    std::string FErrorText;
    std::mutex FLock;
    std::condition_variable FTerminatedChanged;
    bool FTerminated = false;
    std::thread FThread;
};
