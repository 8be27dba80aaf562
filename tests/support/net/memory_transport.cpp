#include "support/net/memory_transport.h"

#include "net/socket_layer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int WSAECONNREFUSED = 10061;

} // namespace

MemoryTransport::Peer* MemoryTransport::Current()
{
    return FNext == 0 ? nullptr : &FPeers[FNext - 1];
}

void MemoryTransport::ConnectSocket(const std::string&, int32_t port, const std::string&, int32_t, int32_t, int32_t,
                                    int32_t)
{
    TIdStack& stack = *TIdStack::StackInstance();
    if (FNext == FPeers.size() || (FPeers[FNext].Port != 0 && FPeers[FNext].Port != port)) {
        stack.SetLastError(WSAECONNREFUSED);
        stack.ThrowSocketError(WSAECONNREFUSED);
    }
    ++FNext;
    FSent = 0;
    FOpen = true;
}

bool MemoryTransport::WaitReadable(int32_t)
{
    const Peer* peer = Current();
    return peer != nullptr && (FSent < peer->Reply.size() || peer->Ending != Peer::End::StaysOpen);
}

int32_t MemoryTransport::ReceiveSome(void* memory, int32_t length)
{
    const Peer* peer = Current();
    if (peer == nullptr || !FOpen)
        return 0;
    if (FSent < peer->Reply.size()) {
        const size_t n = std::min({static_cast<size_t>(std::max(length, 0)), static_cast<size_t>(std::max(PieceSize, 1)),
                                   peer->Reply.size() - FSent});
        std::memcpy(memory, peer->Reply.data() + FSent, n);
        FSent += n;
        return static_cast<int32_t>(n);
    }
    if (peer->Ending == Peer::End::Reset) {
        TIdStack::StackInstance()->SetLastError(WSAECONNRESET);
        return -1;
    }
    return 0;
}

int32_t MemoryTransport::SendSome(const void* memory, int32_t length)
{
    Peer* peer = Current();
    if (peer == nullptr || !FOpen)
        return 0;
    peer->Received.append(static_cast<const char*>(memory), static_cast<size_t>(std::max(length, 0)));
    return length;
}
