// The whole exchange as a hostile server plays it, fed through the in-memory transport:
// every body framing, redirects, interim answers, status errors and cookies, cut into
// receives of any size. Whatever the server sends, what goes on the wire stays clean
// request heads, and the destination never holds more than the server sent.
#include "fuzz_check.h"

#include "net/errors.h"
#include "net/http.h"
#include "net/streams.h"
#include "support/net/memory_transport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int32_t ServerPort = 8301;
// Peers beyond a redirect or two add nothing the first ones do not reach.
constexpr int MaxPeers = 4;

bool IsWireClean(unsigned char c)
{
    return c > 0x20 && c != 0x7F;
}

// Every request head the client sent on one connection: a request line of three parts
// with a clean target, header lines without control bytes, no folded line.
void CheckRequestHeads(std::string_view sent)
{
    while (!sent.empty()) {
        const size_t headEnd = sent.find("\r\n\r\n");
        FUZZ_CHECK(headEnd != std::string_view::npos);
        std::string_view head = sent.substr(0, headEnd + 2);
        sent.remove_prefix(headEnd + 4);
        bool requestLine = true;
        while (!head.empty()) {
            const size_t lineEnd = head.find("\r\n");
            const std::string_view line = head.substr(0, lineEnd);
            head.remove_prefix(lineEnd + 2);
            for (const char c : line)
                FUZZ_CHECK(c != '\r' && c != '\n' && c != '\0');
            if (requestLine) {
                const size_t first = line.find(' ');
                const size_t last = line.rfind(' ');
                FUZZ_CHECK(first != std::string_view::npos && last > first);
                for (const char c : line.substr(first + 1, last - first - 1))
                    FUZZ_CHECK(IsWireClean(static_cast<unsigned char>(c)));
                requestLine = false;
            } else {
                FUZZ_CHECK(!line.empty() && line.front() != ' ' && line.front() != '\t');
                for (const char c : line)
                    FUZZ_CHECK(c == '\t' || static_cast<unsigned char>(c) >= 0x20);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int peerCount = input.ConsumeIntegralInRange(1, MaxPeers);
    const int32_t pieceSize = input.ConsumeIntegralInRange(1, 70000);
    const std::string path = input.ConsumeRandomLengthString(64);
    std::vector<MemoryTransport::Peer> peers(static_cast<size_t>(peerCount));
    size_t replyBytes = 0;
    for (MemoryTransport::Peer& peer : peers) {
        peer.Ending = input.PickValueInArray(
            {MemoryTransport::Peer::End::Close, MemoryTransport::Peer::End::Reset, MemoryTransport::Peer::End::StaysOpen});
        peer.Reply = input.ConsumeRandomLengthString(size);
        replyBytes += peer.Reply.size();
    }

    auto transport = std::make_shared<MemoryTransport>(std::move(peers));
    transport->PieceSize = pieceSize;
    TIdHTTP http;
    http.HandleRedirects = true;
    http.SetIOHandler(transport);
    MemoryStream destination;
    try {
        http.HttpGet("http://127.0.0.1:" + std::to_string(ServerPort) + "/" + path, destination);
    } catch (const EIdException&) {
    } catch (const EConvertError&) {
    }
    http.CloseConnection();

    FUZZ_CHECK(static_cast<size_t>(destination.Size()) <= replyBytes);
    for (const MemoryTransport::Peer& peer : transport->Peers())
        CheckRequestHeads(peer.Received);
    return 0;
}
