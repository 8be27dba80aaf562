// A hostile SOCKS5 proxy, fed through the in-memory transport: whatever it answers (cut
// into receives of any size), the client sends only its own greeting, sign-in and
// connect request before the HTTP request, reads no more than the proxy sent, and the
// destination never holds more than the proxy sent either.
#include "fuzz_check.h"

#include "net/errors.h"
#include "net/http.h"
#include "net/socks5.h"
#include "net/streams.h"
#include "support/net/memory_transport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>

namespace {

constexpr int32_t ProxyPort = 1080;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool credentials = input.ConsumeBool();
    const bool remote = input.ConsumeBool();
    MemoryTransport::Peer proxy;
    proxy.Port = ProxyPort;
    proxy.Ending = input.PickValueInArray(
        {MemoryTransport::Peer::End::Close, MemoryTransport::Peer::End::Reset, MemoryTransport::Peer::End::StaysOpen});
    const int32_t pieceSize = input.ConsumeIntegralInRange(1, 600);
    proxy.Reply = input.ConsumeRemainingBytesAsString();
    const size_t replyBytes = proxy.Reply.size();
    auto transport = std::make_shared<MemoryTransport>(std::vector<MemoryTransport::Peer>{proxy});
    transport->PieceSize = pieceSize;

    TIdHTTP http;
    http.SetIOHandler(transport);
    http.ProxyParams.SetProxyServer("127.0.0.1");
    http.ProxyParams.SetProxyPort(ProxyPort);
    http.ProxyParams.Kind = remote ? ProxyKind::Socks5Remote : ProxyKind::Socks5;
    if (credentials) {
        http.ProxyParams.ProxyUsername = "user";
        http.ProxyParams.ProxyPassword = "secret";
    }
    MemoryStream destination;
    try {
        http.HttpGet("http://127.0.0.1:8301/page", destination);
    } catch (const EIdException&) {
    } catch (const EConvertError&) {
    }
    http.CloseConnection();

    FUZZ_CHECK(static_cast<size_t>(destination.Size()) <= replyBytes);
    const std::string greeting = credentials ? std::string("\x05\x02\x00\x02", 4) : std::string("\x05\x01\x00", 3);
    const std::string& sent = transport->Peers()[0].Received;
    FUZZ_CHECK(sent.empty() || sent.compare(0, greeting.size(), greeting) == 0);
    return 0;
}
