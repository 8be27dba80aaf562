// Writing: byte blocks with partial sends continued, texts and lines, the write cache
// that gathers a request head into one send loop, and streams.
#include "net/connection.h"

#include "net/anti_freeze.h"
#include "net/errors.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <vector>

void TIdTCPConnection::WriteBytes(const void* data, int32_t count, bool writeNow)
{
    if (count <= 0)
        return;
    CheckPeerClosed(true, true);
    if (!IsConnected())
        throw EIdNotConnected();

    if (!writeNow && FWriteCache) {
        FWriteCache->Append(data, count);
        if (FWriteCacheThreshold > 0 && FWriteCache->Size() >= FWriteCacheThreshold)
            FlushWriteCache(FWriteCacheThreshold);
        return;
    }

    const auto* bytes = static_cast<const char*>(data);
    int32_t start = 0;
    do {
        // The pump and the write event may release the transport; take the current one
        // each time round.
        std::shared_ptr<TIdIOHandler> transport = FIOHandler;
        if (!transport)
            throw EIdNotConnected();
        WaitForTransport(*transport, -2, true);
        const int32_t n = transport->SendSome(bytes + start, count - start);
        const int error = n == -1 ? TIdStack::StackInstance()->WSGetLastError() : 0;
        TIdAntiFreezeBase::YieldToUI(false);
        FPeerClosed = n == 0;
        CheckPeerClosed(true, false);
        if (n == -1) {
            if (error == WSAESHUTDOWN || error == WSAECONNABORTED || error == WSAECONNRESET)
                DropSocket();
            TIdStack::StackInstance()->ThrowSocketError(error);
        }
        AddWork(wmWrite, n);
        start += n;
    } while (start < count);
}

void TIdTCPConnection::WriteText(const std::string& text)
{
    if (!text.empty())
        WriteBytes(text.data(), static_cast<int32_t>(text.size()));
}

void TIdTCPConnection::WriteLine(const std::string& text)
{
    WriteText(text + "\r\n");
}

void TIdTCPConnection::WriteInt32(int32_t value, bool convert)
{
    uint32_t bytes = static_cast<uint32_t>(value);
    if (convert)
        bytes = htonl(bytes);
    WriteBytes(&bytes, 4);
}

void TIdTCPConnection::StartWriteCache(int32_t threshold)
{
    FWriteCache = std::make_unique<TIdSimpleBuffer>();
    FWriteCacheThreshold = threshold;
}

void TIdTCPConnection::FlushWriteCache(int32_t count)
{
    if (!FWriteCache || FWriteCache->Size() == 0)
        return;
    if (count == -1 || FWriteCache->Size() < count)
        count = FWriteCache->Size();
    // Sent from a copy: a handler of the write event may add to the cache meanwhile.
    const std::string bytes(FWriteCache->Memory(), static_cast<size_t>(count));
    WriteBytes(bytes.data(), count, true);
    if (FWriteCache)
        FWriteCache->DropFront(count);
}

void TIdTCPConnection::FinishWriteCache()
{
    try {
        FlushWriteCache(-1);
    } catch (...) {
        FWriteCache.reset();
        throw;
    }
    FWriteCache.reset();
}

void TIdTCPConnection::DiscardWriteCache()
{
    if (FWriteCache)
        FWriteCache->ClearAll();
}

void TIdTCPConnection::WriteFromStream(Stream& stream, bool fromStart, int32_t size, bool sendSize)
{
    if (fromStart)
        stream.SetPosition(0);
    const int64_t end = size != 0 ? stream.Position() + size : stream.Size();
    if (sendSize)
        WriteInt32(static_cast<int32_t>(end - stream.Position()), true);

    StartWork(wmWrite, static_cast<int32_t>(end - stream.Position()));
    try {
        std::vector<char> piece;
        for (;;) {
            const int64_t n = std::min<int64_t>(end - stream.Position(), SendBufferSize);
            if (n <= 0)
                break;
            piece.resize(static_cast<size_t>(n));
            const int64_t got = stream.Read(piece.data(), n);
            if (got == 0)
                throw EIdNoDataToRead();
            WriteBytes(piece.data(), static_cast<int32_t>(got));
        }
    } catch (...) {
        FinishWork(wmWrite);
        throw;
    }
    FinishWork(wmWrite);
}
