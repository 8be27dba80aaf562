#include "tls_front.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <vector>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A client that has not finished its handshake by then is dropped.
constexpr int HandshakeLimitMs = 10000;
// One TLS record's worth of plain bytes and more.
constexpr size_t RelayBlock = 64 * 1024;

[[noreturn]] void ThrowSystemError(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

int ConnectToPlainPort(uint16_t port)
{
    const int plain = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (plain >= 0 && connect(plain, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const int on = 1;
        setsockopt(plain, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return plain;
    }
    if (plain >= 0)
        close(plain);
    return -1;
}

bool SendAll(int socket, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = send(socket, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

TlsFront::TlsFront(uint16_t tlsPort, const Credential& credential)
{
    FContext = SSL_CTX_new(TLS_server_method());
    if (!FContext || SSL_CTX_use_certificate(FContext, credential.Certificate.get()) != 1 ||
        SSL_CTX_use_PrivateKey(FContext, credential.Key.get()) != 1)
        throw std::runtime_error("https: the server certificate cannot be used");
    SSL_CTX_set_min_proto_version(FContext, TLS1_2_VERSION);

    FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (FListener < 0)
        ThrowSystemError("socket");
    const int on = 1;
    setsockopt(FListener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(tlsPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0)
        ThrowSystemError("cannot listen for https on 127.0.0.1:" + std::to_string(tlsPort));
    if (listen(FListener, SOMAXCONN) < 0)
        ThrowSystemError("listen");
    socklen_t length = sizeof address;
    getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
    FStopSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TlsFront::~TlsFront()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(FStopSignal, &one, sizeof one);
    if (FThread.joinable())
        FThread.join();
    std::unique_lock<std::mutex> lock(FLock);
    FRelayEnded.wait(lock, [this] { return FRelays == 0; });
    close(FListener);
    close(FStopSignal);
    SSL_CTX_free(FContext);
}

void TlsFront::Start(uint16_t plainPort)
{
    FPlainPort = plainPort;
    FThread = std::thread([this] { Run(); });
}

void TlsFront::Run()
{
    for (;;) {
        pollfd waits[2] = {{FListener, POLLIN, 0}, {FStopSignal, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents != 0)
            return;
        if (waits[0].revents == 0)
            continue;
        const int client = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        {
            std::lock_guard<std::mutex> lock(FLock);
            ++FRelays;
        }
        std::thread([this, client] {
            Relay(client);
            std::lock_guard<std::mutex> lock(FLock);
            --FRelays;
            FRelayEnded.notify_all();
        }).detach();
    }
}

void TlsFront::Relay(int client)
{
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // The handshake is waited for with a limit: a client that stalls it holds nothing up.
    const timeval limit{HandshakeLimitMs / 1000, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    SSL* session = SSL_new(FContext);
    SSL_set_fd(session, client);
    const int plain = SSL_accept(session) == 1 ? ConnectToPlainPort(FPlainPort) : -1;
    const timeval none{0, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &none, sizeof none);

    std::vector<char> block(RelayBlock);
    bool clientOpen = plain >= 0;
    bool serverOpen = plain >= 0;
    bool broken = plain < 0;
    while (serverOpen && !broken) {
        pollfd waits[3] = {{client, static_cast<short>(clientOpen ? POLLIN : 0), 0},
                           {plain, POLLIN, 0},
                           {FStopSignal, POLLIN, 0}};
        // Decrypted bytes may wait inside the session without the socket being readable.
        if (clientOpen && SSL_pending(session) > 0)
            waits[0].revents = POLLIN;
        else if (poll(waits, 3, -1) < 0 && errno != EINTR)
            break;
        if (waits[2].revents != 0)
            break;
        if (waits[0].revents != 0) {
            ERR_clear_error();
            const int n = SSL_read(session, block.data(), static_cast<int>(block.size()));
            if (n > 0) {
                broken = !SendAll(plain, block.data(), static_cast<size_t>(n));
            } else {
                // The client's close (with or without TLS close): the plain server hears it.
                clientOpen = false;
                shutdown(plain, SHUT_WR);
                broken = SSL_get_error(session, n) != SSL_ERROR_ZERO_RETURN;
            }
        }
        if (waits[1].revents != 0) {
            const ssize_t n = recv(plain, block.data(), block.size(), 0);
            if (n > 0) {
                ERR_clear_error();
                broken = SSL_write(session, block.data(), static_cast<int>(n)) <= 0;
            } else {
                serverOpen = false;
            }
        }
    }
    if (!broken)
        SSL_shutdown(session);
    SSL_free(session);
    shutdown(client, SHUT_WR);
    if (plain >= 0)
        close(plain);
    // The client closes in turn; closing first could reset bytes still on their way.
    const timeval drain{2, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &drain, sizeof drain);
    char rest[4096];
    while (recv(client, rest, sizeof rest, 0) > 0) {
    }
    close(client);
}
