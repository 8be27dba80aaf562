#include "support/net/tls_scripted_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Only a guard against a test that never gives the step what it waits for.
constexpr int SafetyLimitMs = 20000;

} // namespace

struct TlsScriptedServer::Channel {
    size_t index = 0;
    int socket = -1;
    SSL_CTX* context = nullptr;
    SSL* ssl = nullptr;

    ~Channel()
    {
        SSL_free(ssl);
        SSL_CTX_free(context);
        if (socket >= 0)
            close(socket);
    }
};

TlsStep TlsStep::Read(size_t count)
{
    TlsStep step;
    step.kind = Kind::ReadCount;
    step.count = count;
    return step;
}

TlsStep TlsStep::ReadUntil(std::string marker)
{
    TlsStep step;
    step.kind = Kind::ReadUntil;
    step.text = std::move(marker);
    return step;
}

TlsStep TlsStep::AwaitHello()
{
    TlsStep step;
    step.kind = Kind::AwaitHello;
    return step;
}

TlsStep TlsStep::Send(std::string bytes)
{
    TlsStep step;
    step.kind = Kind::Send;
    step.text = std::move(bytes);
    return step;
}

TlsStep TlsStep::SendRaw(std::string bytes)
{
    TlsStep step;
    step.kind = Kind::SendRaw;
    step.text = std::move(bytes);
    return step;
}

TlsStep TlsStep::Hold(std::string name)
{
    TlsStep step;
    step.kind = Kind::Hold;
    step.text = std::move(name);
    return step;
}

TlsStep TlsStep::Handshake(Credential credential, bool refused)
{
    TlsStep step;
    step.kind = Kind::Handshake;
    step.credential = std::move(credential);
    step.refused = refused;
    return step;
}

TlsStep TlsStep::CloseNotify()
{
    TlsStep step;
    step.kind = Kind::CloseNotify;
    return step;
}

TlsStep TlsStep::CloseWithoutNotify()
{
    TlsStep step;
    step.kind = Kind::CloseWithoutNotify;
    return step;
}

TlsStep TlsStep::Reset()
{
    TlsStep step;
    step.kind = Kind::Reset;
    return step;
}

TlsScriptedServer::TlsScriptedServer(std::vector<TlsScript> connections) : TlsScriptedServer()
{
    Start(std::move(connections));
}

std::unique_ptr<TlsScriptedServer> TlsScriptedServer::Listening()
{
    return std::unique_ptr<TlsScriptedServer>(new TlsScriptedServer());
}

TlsScriptedServer::TlsScriptedServer()
{
    FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FListener < 0 || bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(FListener, 16) != 0 || getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("TLS test server: cannot listen on 127.0.0.1");
    FPort = ntohs(address.sin_port);
    FStopSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void TlsScriptedServer::Start(std::vector<TlsScript> connections)
{
    FScripts = std::move(connections);
    FThread = std::thread([this] { Run(); });
}

TlsScriptedServer::~TlsScriptedServer()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(FStopSignal, &one, sizeof one);
    if (FThread.joinable())
        FThread.join();
    close(FListener);
    close(FStopSignal);
}

void TlsScriptedServer::Run()
{
    // OpenSSL writes with write(): a client that has gone must give EPIPE here, not end
    // the test program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (size_t index = 0; index < FScripts.size(); ++index) {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FReceived.emplace_back();
        }
        Channel listening;
        listening.index = index;
        listening.socket = FListener;
        const bool arrived = Wait(listening, POLLIN, "a connection");
        listening.socket = -1;
        if (!arrived)
            break;
        Channel channel;
        channel.index = index;
        channel.socket = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (channel.socket < 0) {
            Fail(index, "accept failed");
            break;
        }
        // Each step's bytes leave at once: what was sent before a hold is with the client.
        const int on = 1;
        setsockopt(channel.socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        {
            std::lock_guard<std::mutex> lock(FLock);
            ++FAccepted;
        }
        Play(index, channel);
    }
    {
        std::lock_guard<std::mutex> lock(FLock);
        FFinished = true;
    }
    FChanged.notify_all();
}

void TlsScriptedServer::Play(size_t index, Channel& channel)
{
    size_t consumed = 0;
    auto received = [&] {
        std::lock_guard<std::mutex> lock(FLock);
        return FReceived[index];
    };
    for (const TlsStep& step : FScripts[index]) {
        switch (step.kind) {
        case TlsStep::Kind::ReadCount:
            while (received().size() < consumed + step.count) {
                if (!ReceiveSome(channel)) {
                    Fail(index, "the client closed before sending " + std::to_string(step.count) + " more bytes");
                    return;
                }
            }
            consumed += step.count;
            break;
        case TlsStep::Kind::ReadUntil:
            for (;;) {
                const size_t found = received().find(step.text, consumed);
                if (found != std::string::npos) {
                    consumed = found + step.text.size();
                    break;
                }
                if (!ReceiveSome(channel)) {
                    Fail(index, "the client closed before sending the marker");
                    return;
                }
            }
            break;
        case TlsStep::Kind::AwaitHello: {
            char first;
            if (!Wait(channel, POLLIN, "the client's hello") || recv(channel.socket, &first, 1, MSG_PEEK) != 1) {
                Fail(index, "the client sent no hello");
                return;
            }
            break;
        }
        case TlsStep::Kind::Send:
            if (!SendAll(channel, step.text))
                return;
            break;
        case TlsStep::Kind::SendRaw: {
            SSL* session = channel.ssl;
            channel.ssl = nullptr;
            const bool sent = SendAll(channel, step.text);
            channel.ssl = session;
            if (!sent)
                return;
            break;
        }
        case TlsStep::Kind::Hold: {
            std::unique_lock<std::mutex> lock(FLock);
            FHolding = step.text;
            FChanged.notify_all();
            const bool released = FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs),
                                                    [&] { return FStopping || FReleased.count(step.text) > 0; });
            FHolding.clear();
            if (!released) {
                lock.unlock();
                Fail(index, "hold " + step.text + " was never released");
                return;
            }
            if (FStopping)
                return;
            break;
        }
        case TlsStep::Kind::Handshake:
            if (!Handshake(channel, step))
                return;
            break;
        case TlsStep::Kind::CloseNotify:
            if (channel.ssl)
                SSL_shutdown(channel.ssl);
            shutdown(channel.socket, SHUT_WR);
            break;
        case TlsStep::Kind::CloseWithoutNotify:
            shutdown(channel.socket, SHUT_WR);
            break;
        case TlsStep::Kind::Reset: {
            const linger abortive{1, 0};
            setsockopt(channel.socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            return;
        }
        }
    }
    // What follows is recorded in the clear only: before a session, the client's bytes
    // are its hello, which no step read.
    if (!channel.ssl) {
        char rest[4096];
        while (Wait(channel, POLLIN, "the client's close") && recv(channel.socket, rest, sizeof rest, 0) > 0) {
        }
        return;
    }
    while (ReceiveSome(channel)) {
    }
}

bool TlsScriptedServer::Handshake(Channel& channel, const TlsStep& step)
{
    channel.context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(channel.context, step.credential.Certificate.get());
    SSL_CTX_use_PrivateKey(channel.context, step.credential.Key.get());
    channel.ssl = SSL_new(channel.context);
    SSL_set_fd(channel.ssl, channel.socket);
    for (;;) {
        ERR_clear_error();
        const int result = SSL_accept(channel.ssl);
        if (result == 1)
            break;
        const int error = SSL_get_error(channel.ssl, result);
        if ((error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) &&
            Wait(channel, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, "the handshake"))
            continue;
        if (!step.refused)
            Fail(channel.index, "the handshake failed");
        return false;
    }
    if (step.refused) {
        Fail(channel.index, "the client accepted a certificate it should refuse");
        return false;
    }
    return true;
}

bool TlsScriptedServer::Wait(Channel& channel, short events, const char* what)
{
    pollfd waits[2] = {{channel.socket, events, 0}, {FStopSignal, POLLIN, 0}};
    int ready;
    do {
        ready = poll(waits, 2, SafetyLimitMs);
    } while (ready < 0 && errno == EINTR);
    if (waits[1].revents != 0)
        return false;
    if (ready == 0) {
        Fail(channel.index, std::string("timed out waiting for ") + what);
        return false;
    }
    return ready > 0;
}

bool TlsScriptedServer::ReceiveSome(Channel& channel)
{
    char block[65536];
    for (;;) {
        int n;
        short waitFor = POLLIN;
        if (channel.ssl) {
            ERR_clear_error();
            n = SSL_read(channel.ssl, block, sizeof block);
            if (n <= 0) {
                const int error = SSL_get_error(channel.ssl, n);
                if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                    return false;
                waitFor = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
            }
        } else {
            n = static_cast<int>(recv(channel.socket, block, sizeof block, 0));
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return false;
        }
        if (n > 0) {
            std::lock_guard<std::mutex> lock(FLock);
            FReceived[channel.index].append(block, static_cast<size_t>(n));
            return true;
        }
        if (!Wait(channel, waitFor, "client bytes"))
            return false;
    }
}

bool TlsScriptedServer::SendAll(Channel& channel, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        int n;
        short waitFor = POLLOUT;
        if (channel.ssl) {
            ERR_clear_error();
            n = SSL_write(channel.ssl, bytes.data() + sent, static_cast<int>(bytes.size() - sent));
            if (n <= 0) {
                const int error = SSL_get_error(channel.ssl, n);
                if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
                    Fail(channel.index, "TLS send failed");
                    return false;
                }
                waitFor = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
            }
        } else {
            n = static_cast<int>(send(channel.socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL));
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                Fail(channel.index, "send failed");
                return false;
            }
        }
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (!Wait(channel, waitFor, "room to send"))
            return false;
    }
    return true;
}

void TlsScriptedServer::Fail(size_t index, const std::string& why)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (!FStopping)
        FFailures.push_back("connection " + std::to_string(index) + ": " + why);
}

void TlsScriptedServer::Release(const std::string& name)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FReleased.insert(name);
    }
    FChanged.notify_all();
}

bool TlsScriptedServer::WaitUntilHolding(const std::string& name)
{
    std::unique_lock<std::mutex> lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs), [&] { return FHolding == name; });
}

bool TlsScriptedServer::IsHolding(const std::string& name) const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FHolding == name;
}

bool TlsScriptedServer::IsStalling() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return !FHolding.empty();
}

bool TlsScriptedServer::Finish()
{
    if (!FThread.joinable())
        return true;
    std::unique_lock<std::mutex> lock(FLock);
    return FChanged.wait_for(lock, std::chrono::milliseconds(SafetyLimitMs), [&] { return FFinished; });
}

size_t TlsScriptedServer::ConnectionCount() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FAccepted;
}

std::string TlsScriptedServer::Received(size_t connection) const
{
    std::lock_guard<std::mutex> lock(FLock);
    return connection < FReceived.size() ? FReceived[connection] : std::string();
}

std::vector<std::string> TlsScriptedServer::Failures() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FFailures;
}
