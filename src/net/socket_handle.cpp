// One socket: allocation, binding, the connect that the worker can abandon, and the
// read wait.
#include "net/errors.h"
#include "net/socket_layer.h"

#include <cerrno>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

TIdStack& Stack()
{
    return *TIdStack::StackInstance();
}

void RaiseSignal(int signal)
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(signal, &one, sizeof one);
}

void LowerSignal(int signal)
{
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t taken = read(signal, &count, sizeof count);
}

} // namespace

TIdSocketHandle::TIdSocketHandle()
{
    FAbandonSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FAbandonSignal < 0)
        throw EIdInvalidSocket();
}

TIdSocketHandle::~TIdSocketHandle()
{
    TIdSocketHandle::ReleaseHandle();
    close(FAbandonSignal);
}

void TIdSocketHandle::AllocateHandle(bool ipv6)
{
    ReleaseHandle();
    const int socket = Stack().WSSocket(ipv6);
    if (socket < 0)
        throw EIdInvalidSocket();

    Adopt(socket);
}

void TIdSocketHandle::Adopt(int socket)
{
    std::lock_guard<std::mutex> lock(FConnectLock);
    LowerSignal(FAbandonSignal);
    FAbandoned = false;
    FConnectPending = false;
    FSocketValue = socket;
    FAllocated = true;
}

void TIdSocketHandle::TakeConnectedSocket(int socket)
{
    ReleaseHandle();
    Adopt(socket);
    Stack().CheckSocketResult(ReadBackAddresses());
}

void TIdSocketHandle::ReleaseHandle()
{
    int socket;
    {
        std::unique_lock<std::mutex> lock(FConnectLock);
        if (!FAllocated)
            return;
        FAllocated = false;
        if (FConnecting) {
            RaiseSignal(FAbandonSignal);
            FConnectEnded.wait(lock, [this] { return !FConnecting; });
        }
        socket = FSocketValue;
        FSocketValue = -1;
    }
    Stack().WSShutdownSend(socket);
    Stack().WSCloseSocket(socket);
}

void TIdSocketHandle::Reset()
{
    ReleaseHandle();
    IP.clear();
    Port = 0;
    FPeerIPText.clear();
    FPeerPortNumber = 0;
    ClientPortMin = 0;
    ClientPortMax = 0;
}

void TIdSocketHandle::BindLocal()
{
    TIdStack& stack = Stack();
    if (Port != 0 || ClientPortMin == 0 || ClientPortMax == 0) {
        if (stack.WSBind(FSocketValue, IP, Port) != 0) {
            if (stack.WSGetLastError() == WSAEADDRINUSE)
                throw EIdCouldNotBindSocket();
            stack.ThrowSocketError(stack.WSGetLastError());
        }
    } else {
        if (ClientPortMax < ClientPortMin)
            throw EIdInvalidPortRange(ClientPortMin, ClientPortMax);
        bool bound = false;
        for (int32_t port = ClientPortMax; port >= ClientPortMin && !bound; --port) {
            if (stack.WSBind(FSocketValue, IP, port) == 0)
                bound = true;
            else if (stack.WSGetLastError() != WSAEADDRINUSE)
                stack.ThrowSocketError(stack.WSGetLastError());
        }
        if (!bound)
            throw EIdCanNotBindPortInRange(ClientPortMin, ClientPortMax);
    }
    stack.CheckSocketResult(stack.WSGetSockName(FSocketValue, IP, Port));
}

void TIdSocketHandle::SetPeerAddress(const std::string& ip, int32_t port)
{
    FPeerIPText = ip;
    FPeerPortNumber = port;
}

int TIdSocketHandle::ConnectToPeer()
{
    TIdStack& stack = Stack();
    int socket;
    bool pending;
    {
        std::lock_guard<std::mutex> lock(FConnectLock);
        if (!FAllocated || FAbandoned) {
            // As a connect on a socket closed under it.
            stack.SetLastError(TIdStack::WinSockErrorNumber(ENOTSOCK));
            return -1;
        }
        FConnecting = true;
        socket = FSocketValue;
        pending = FConnectPending;
    }

    int result = pending ? TIdStack::ConnectInProgress : stack.WSStartConnect(socket, FPeerIPText, FPeerPortNumber);
    if (result == TIdStack::ConnectInProgress)
        result = stack.WSFinishConnect(socket, FAbandonSignal, -1);
    int readBack = result == 0 ? ReadBackAddresses() : 0;
    {
        std::lock_guard<std::mutex> lock(FConnectLock);
        FConnecting = false;
        FConnectPending = false;
    }
    FConnectEnded.notify_all();
    stack.CheckSocketResult(readBack);
    return result;
}

bool TIdSocketHandle::ConnectIfAtOnce(int& result)
{
    TIdStack& stack = Stack();
    result = stack.WSStartConnect(FSocketValue, FPeerIPText, FPeerPortNumber);
    if (result == TIdStack::ConnectInProgress)
        result = stack.WSFinishConnect(FSocketValue, -1, 0);
    if (result == TIdStack::ConnectInProgress) {
        FConnectPending = true;
        return false;
    }
    stack.CheckSocketResult(result == 0 ? ReadBackAddresses() : 0);
    return true;
}

int TIdSocketHandle::ReadBackAddresses()
{
    TIdStack& stack = Stack();
    const int result = stack.WSGetSockName(FSocketValue, IP, Port);
    return result == 0 ? stack.WSGetPeerName(FSocketValue, FPeerIPText, FPeerPortNumber) : result;
}

void TIdSocketHandle::AbandonConnect()
{
    std::lock_guard<std::mutex> lock(FConnectLock);
    FAbandoned = true;
    if (FConnecting)
        RaiseSignal(FAbandonSignal);
}

bool TIdSocketHandle::PollReadable(int32_t timeout)
{
    if (!FAllocated)
        throw EIdConnClosedGracefully();
    return Stack().WSPollReadable(FSocketValue, timeout) == 1;
}

bool TIdSocketHandle::PollWritable(int32_t timeout)
{
    if (!FAllocated)
        throw EIdNotConnected();
    return Stack().WSPollWritable(FSocketValue, timeout) == 1;
}

int TIdSocketHandle::Receive(void* memory, int32_t length)
{
    return Stack().WSRecv(FSocketValue, memory, length);
}

int TIdSocketHandle::Send(const void* memory, int32_t length)
{
    return Stack().WSSend(FSocketValue, memory, length);
}
