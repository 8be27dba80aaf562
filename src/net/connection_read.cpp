// Reading: receiving into the input buffer, lines, exact counts and whole bodies.
#include "net/connection.h"

#include "net/errors.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>

int32_t TIdTCPConnection::ReceiveIntoBuffer(bool raiseIfClosed, int32_t timeout, bool raiseOnTimeout)
{
    if (timeout == -1)
        timeout = ReadTimeout == 0 ? -2 : ReadTimeout;

    CheckPeerClosed(raiseIfClosed, false);
    if (!IsConnected()) {
        if (raiseIfClosed)
            throw EIdNotConnected();
        return 0;
    }

    int32_t n = 0;
    do {
        std::shared_ptr<TIdIOHandler> transport = FIOHandler;
        if (!WaitForTransport(*transport, timeout, false)) {
            if (raiseOnTimeout)
                throw EIdReadTimeout();
            return -1;
        }

        // The wait pumps messages: a handler may have released the transport meanwhile.
        transport = FIOHandler;
        if (transport) {
            // Received straight into the end of the input buffer, saving a copy per block.
            char* area = FInBuffer.GrowTail(RecvBufferSize);
            try {
                n = transport->ReceiveSome(area, RecvBufferSize);
            } catch (...) {
                FInBuffer.ShrinkTail(RecvBufferSize);
                throw;
            }
            FInBuffer.ShrinkTail(RecvBufferSize - std::max(n, 0));
        } else {
            n = 0;
            if (raiseIfClosed)
                throw EIdNotConnected();
        }
        FPeerClosed = n == 0;

        if (n == -1) {
            const int error = TIdStack::StackInstance()->WSGetLastError();
            if (error != WSAESHUTDOWN && error != WSAECONNABORTED)
                TIdStack::StackInstance()->ThrowSocketError(error);
            n = 0;
            if (FIOHandler)
                DropSocket();
            if (FInBuffer.Size() == 0)
                TIdStack::StackInstance()->ThrowSocketError(error);
        }

        CheckPeerClosed(raiseIfClosed, false);
    } while (n == 0 && IsConnected());
    return n;
}

std::string TIdTCPConnection::ReadLine(const std::string& terminator, int32_t timeout, int32_t maxLength)
{
    if (maxLength == -1)
        maxLength = MaxLineLength;
    const std::string term = terminator.empty() ? std::string("\n") : terminator;
    FLineSplit = false;
    FLineAborted = false;

    // Each buffered byte is searched once; a terminator of several bytes may straddle
    // two receives, so a further search starts that many bytes before the old end.
    int searched = 0;
    int searchFrom = 0;
    int pos = 0;
    bool overLong = false;
    do {
        if (FInBuffer.Size() > 0) {
            pos = FInBuffer.IndexOf(term, searchFrom) + 1;
            searched = FInBuffer.Size();
            searchFrom = std::max(0, searched - static_cast<int>(term.size()) + 1);
        }
        if (maxLength != 0 && pos - 1 > maxLength) {
            overLong = true;
            break;
        }
        if (pos == 0) {
            if (maxLength != 0 && searched > maxLength) {
                overLong = true;
                break;
            }
            CheckPeerClosed(true, true);
            const int32_t n = ReceiveIntoBuffer(true, timeout, true);
            if (n == 0) {
                FLineAborted = true;
                return {};
            }
        }
    } while (pos <= 0);

    if (overLong) {
        if (MaxLineAction == maException)
            throw EIdReadLnMaxLineLengthExceeded();
        FLineSplit = true;
        return FInBuffer.TakeText(maxLength);
    }

    std::string line = FInBuffer.TakeText(pos + static_cast<int>(term.size()) - 1);
    line.resize(line.size() - term.size());
    if (term == "\n" && !line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

void TIdTCPConnection::WaitForBuffered(int32_t count)
{
    while (FInBuffer.Size() < count) {
        ReceiveIntoBuffer(true, -1, true);
        CheckPeerClosed(true, true);
    }
}

void TIdTCPConnection::ReadExact(void* destination, int32_t count)
{
    if (count <= 0)
        return;
    WaitForBuffered(count);
    std::memcpy(destination, FInBuffer.Memory(), static_cast<size_t>(count));
    FInBuffer.DropFront(count);
}

void TIdTCPConnection::ReadToStream(Stream& stream, int32_t count, bool untilClosed)
{
    // The stream grows only with the bytes that arrive: a count announced by the peer
    // never reserves memory or disk ahead of them.
    if (count == -1 && !untilClosed)
        count = ReadInt32(true);

    int32_t remaining;
    if (untilClosed) {
        remaining = 2147483647;
        StartWork(wmRead, 0);
    } else {
        remaining = count;
        StartWork(wmRead, count);
    }

    try {
        if (FInBuffer.Size() > 0) {
            const int32_t i = std::min(FInBuffer.Size(), remaining);
            stream.Write(FInBuffer.Memory(), i);
            FInBuffer.DropFront(i);
            remaining -= i;
        }

        // Each piece goes from the input buffer straight into the stream; the piece is in
        // the stream when its progress is reported.
        const int32_t piece = std::min(remaining, RecvBufferSize);
        while (IsConnected() && remaining > 0) {
            const int32_t i = std::min(remaining, piece);
            try {
                WaitForBuffered(i);
            } catch (const EIdConnClosedGracefully&) {
                if (!untilClosed)
                    throw;
                // The rest that came with the close ends the body; it is not progress.
                stream.Write(FInBuffer.Memory(), FInBuffer.Size());
                FInBuffer.ClearAll();
                break;
            }
            stream.Write(FInBuffer.Memory(), i);
            FInBuffer.DropFront(i);
            remaining -= i;
        }
    } catch (...) {
        FinishWork(wmRead);
        if (stream.Size() > stream.Position())
            stream.SetSize(stream.Position());
        throw;
    }
    FinishWork(wmRead);
    if (stream.Size() > stream.Position())
        stream.SetSize(stream.Position());
}

int32_t TIdTCPConnection::ReadInt32(bool convert)
{
    uint32_t value = 0;
    ReadExact(&value, 4);
    if (convert)
        value = ntohl(value);
    return static_cast<int32_t>(value);
}
