#include "net/connection.h"

#include "net/errors.h"
#include "net/socket_layer.h"

TIdTCPConnection::TIdTCPConnection()
{
    FInBuffer.FOnBytesTaken = [this](TIdSimpleBuffer&, int count) { AddWork(wmRead, count); };
}

void TIdTCPConnection::SetIOHandler(std::shared_ptr<TIdIOHandler> transport)
{
    FIOHandler = std::move(transport);
    FSocketHandler = std::dynamic_pointer_cast<TIdIOHandlerSocket>(FIOHandler);
    FOwnsIOHandler = false;
}

void TIdTCPConnection::NotifyDisconnected()
{
    if (OnDisconnected)
        OnDisconnected(*this);
}

void TIdTCPConnection::ResetReceiveState()
{
    FInBuffer.ClearAll();
    FPeerClosed = false;
}

void TIdTCPConnection::CheckPeerClosed(bool raiseIfClosed, bool ignoreBuffer)
{
    bool closed = false;
    if (FPeerClosed || !FIOHandler) {
        if (FIOHandler) {
            if (FIOHandler->SocketOpen()) {
                DropSocket();
                ReportStatus(hsDisconnected);
                NotifyDisconnected();
            }
            closed = true;
        }
    } else {
        closed = !FIOHandler->SocketOpen();
    }
    if (closed && (FInBuffer.Size() == 0 || ignoreBuffer) && raiseIfClosed)
        throw EIdConnClosedGracefully();
}

void TIdTCPConnection::PollPeerClosed(bool raiseIfClosed)
{
    ReceiveIntoBuffer(raiseIfClosed, 1, false);
}

bool TIdTCPConnection::IsConnected()
{
    CheckPeerClosed(false, false);
    return FIOHandler && FIOHandler->SocketOpen();
}

void TIdTCPConnection::DropSocket()
{
    if (std::shared_ptr<TIdIOHandler> transport = FIOHandler) {
        FPeerClosed = true;
        transport->ShutSocket();
    }
}

void TIdTCPConnection::CloseConnection()
{
    ReportStatus(hsDisconnecting);
    DropSocket();
    if (FOwnsIOHandler) {
        // An operation suspended in an event or a pump still holds its own reference;
        // the transport goes away when that operation lets go of it.
        FIOHandler.reset();
        FSocketHandler.reset();
        FOwnsIOHandler = false;
    }
    NotifyDisconnected();
    ReportStatus(hsDisconnected);
}

void TIdTCPClient::SetHost(const std::string& host)
{
    FHost = host;
}

void TIdTCPClient::SetPort(int32_t port)
{
    FPort = port;
}

void TIdTCPClient::NotifyConnected()
{
    if (OnConnected)
        OnConnected(*this);
}

void TIdTCPClient::OpenConnection(int32_t timeout)
{
    if (!FIOHandler) {
        auto transport = std::make_shared<TIdIOHandlerSocket>();
        transport->OnStatus = OnStatus;
        FIOHandler = transport;
        FSocketHandler = transport;
        FOwnsIOHandler = true;
    } else if (FIOHandler->SocketOpen()) {
        throw EIdAlreadyConnected();
    }

    std::shared_ptr<TIdIOHandler> transport = FIOHandler;
    try {
        transport->PrepareSocket();
        ResetReceiveState();
        transport->ConnectSocket(FHost, FPort, BoundIP, BoundPort, BoundPortLow, BoundPortHigh, timeout);
        ReportStatus(hsConnected, {FHost});
        NotifyConnected();
    } catch (...) {
        DropSocket();
        throw;
    }
}
