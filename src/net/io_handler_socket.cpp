// The socket transport of a connection.
#include "net/anti_freeze.h"
#include "net/errors.h"
#include "net/socket_layer.h"

namespace {

constexpr int32_t ConnectLimitWithAntiFreeze = 120000;

} // namespace

void TIdIOHandlerSocket::PrepareSocket()
{
    if (!FSocketHandle)
        FSocketHandle = std::make_unique<TIdSocketHandle>();
    else
        FSocketHandle->Reset();
}

void TIdIOHandlerSocket::ConnectSocket(const std::string& host, int32_t port, const std::string& boundIP,
                                       int32_t boundPort, int32_t portLow, int32_t portHigh, int32_t timeout)
{
    TIdStack& stack = *TIdStack::StackInstance();
    TIdSocketHandle& handle = *FSocketHandle;

    handle.AllocateHandle();
    handle.IP = boundIP;
    handle.Port = boundPort;
    handle.ClientPortMin = portLow;
    handle.ClientPortMax = portHigh;
    handle.BindLocal();

    // "localhost" is answered without a lookup, so it is not reported as resolving.
    if (!TIdStack::IsIPv4Text(host) && !TIdStack::IsIPv6Text(host) && !TIdStack::IsLocalHostName(host))
        ReportStatus(hsResolving, {host});
    // Stop releases the socket: that also ends the wait for the name.
    const std::vector<std::string> addresses =
        stack.LookupHostAddresses(host, [&handle] { return !handle.Allocated(); });

    // Several addresses race, unless a local address or port is asked for: that binding
    // is made for the one socket.
    if (addresses.size() > 1 && boundIP.empty() && boundPort == 0 && portLow == 0 && portHigh == 0) {
        ReportStatus(hsConnecting, {addresses.front()});
        const bool limited = timeout != -1 && timeout != 0;
        ConnectToFirstOf(addresses, port,
                         limited ? timeout : TIdAntiFreezeBase::AntiFreezeInUse() ? ConnectLimitWithAntiFreeze : -2);
        return;
    }
    const std::string& address = addresses.front();
    if (address.find(':') != std::string::npos) {
        // The first bind read its local address back: the new socket is bound as asked.
        handle.AllocateHandle(true);
        handle.IP = boundIP;
        handle.Port = boundPort;
        handle.BindLocal();
    }
    handle.SetPeerAddress(address, port);

    if (!UseNagle)
        stack.CheckSocketResult(stack.WSSetNoDelay(handle.SocketValue()));
    ReportStatus(hsConnecting, {handle.PeerIP()});

    if (timeout != -1 && timeout != 0)
        ConnectWait(timeout);
    else if (TIdAntiFreezeBase::AntiFreezeInUse() || WaitInterruption::Installed())
        ConnectWait(ConnectLimitWithAntiFreeze);
    else
        stack.CheckSocketResult(handle.ConnectToPeer());
}

bool TIdIOHandlerSocket::SocketOpen()
{
    return FSocketHandle && FSocketHandle->Allocated();
}

void TIdIOHandlerSocket::ShutSocket()
{
    if (FSocketHandle)
        FSocketHandle->ReleaseHandle();
}

bool TIdIOHandlerSocket::WaitReadable(int32_t timeout)
{
    if (!FSocketHandle)
        throw EIdConnClosedGracefully();
    return FSocketHandle->PollReadable(timeout);
}

bool TIdIOHandlerSocket::WaitWritable(int32_t timeout)
{
    if (!FSocketHandle)
        throw EIdNotConnected();
    return FSocketHandle->PollWritable(timeout);
}

int32_t TIdIOHandlerSocket::ReceiveSome(void* memory, int32_t length)
{
    if (!SocketOpen())
        throw EIdClosedSocket();
    return FSocketHandle->Receive(memory, length);
}

int32_t TIdIOHandlerSocket::SendSome(const void* memory, int32_t length)
{
    if (!SocketOpen())
        throw EIdClosedSocket();
    return FSocketHandle->Send(memory, length);
}
