#include "support/net/tls_scripted_server.h"

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>

// The TLS session over an accepted socket, once the script's handshake has made one;
// before it, and past it for a forged record, bytes cross as they are.
class TlsScriptedServer::SecureLink : public Link {
public:
    using Link::Link;
    ~SecureLink() override
    {
        SSL_free(Session);
        SSL_CTX_free(Context);
    }

    long Read(char* into, size_t size, short& wait) override
    {
        if (!Session)
            return Link::Read(into, size, wait);
        ERR_clear_error();
        return Moved(SSL_read(Session, into, static_cast<int>(size)), wait);
    }

    long Write(const char* from, size_t size, short& wait) override
    {
        if (!Session)
            return Link::Write(from, size, wait);
        ERR_clear_error();
        return Moved(SSL_write(Session, from, static_cast<int>(size)), wait);
    }

    SSL_CTX* Context = nullptr;
    SSL* Session = nullptr;

private:
    long Moved(int result, short& wait)
    {
        if (result > 0)
            return result;
        const int error = SSL_get_error(Session, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            wait = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
            return 0;
        }
        // What the socket said stays in errno; anything else broke the session itself.
        if (error != SSL_ERROR_SYSCALL)
            errno = EPROTO;
        return -1;
    }
};

TlsStep TlsStep::Read(size_t count)
{
    return {.kind = Kind::ReadCount, .count = count};
}

TlsStep TlsStep::ReadUntil(std::string marker)
{
    return {.kind = Kind::ReadUntil, .text = std::move(marker)};
}

TlsStep TlsStep::AwaitHello()
{
    return {.kind = Kind::AwaitHello};
}

TlsStep TlsStep::Send(std::string bytes)
{
    return {.kind = Kind::Send, .text = std::move(bytes)};
}

TlsStep TlsStep::SendRaw(std::string bytes)
{
    return {.kind = Kind::SendRaw, .text = std::move(bytes)};
}

TlsStep TlsStep::Hold(std::string name)
{
    return {.kind = Kind::Hold, .text = std::move(name)};
}

TlsStep TlsStep::Handshake(Credential credential, bool refused)
{
    return {.kind = Kind::Handshake, .credential = std::move(credential), .refused = refused};
}

TlsStep TlsStep::CloseNotify()
{
    return {.kind = Kind::CloseNotify};
}

TlsStep TlsStep::CloseWithoutNotify()
{
    return {.kind = Kind::CloseWithoutNotify};
}

TlsStep TlsStep::Reset()
{
    return {.kind = Kind::Reset};
}

TlsScriptedServer::TlsScriptedServer(std::vector<TlsScript> connections)
    : TlsScriptedServer(std::move(connections), true)
{
}

std::unique_ptr<TlsScriptedServer> TlsScriptedServer::Listening()
{
    return std::unique_ptr<TlsScriptedServer>(new TlsScriptedServer({}, false));
}

TlsScriptedServer::TlsScriptedServer(std::vector<TlsScript> connections, bool start)
{
    if (start)
        Start(std::move(connections));
}

void TlsScriptedServer::Start(std::vector<TlsScript> connections)
{
    FScripts = std::move(connections);
    StartPlaying(FScripts.size());
}

TlsScriptedServer::~TlsScriptedServer()
{
    Stop();
}

void TlsScriptedServer::Play(size_t index, int socket)
{
    SecureLink link(index, socket);
    // Each step's bytes leave at once: what was sent before a hold is with the client.
    const int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    for (const TlsStep& step : FScripts[index]) {
        if (!PlayStep(link, step))
            return;
    }
    if (link.Session)
        Drain(link);
    else
        Discard(link);
}

bool TlsScriptedServer::PlayStep(SecureLink& link, const TlsStep& step)
{
    switch (step.kind) {
    case TlsStep::Kind::ReadCount:
        return ReadCount(link, step.count);
    case TlsStep::Kind::ReadUntil:
        return ReadUntil(link, step.text);
    case TlsStep::Kind::AwaitHello: {
        char first;
        if (!Wait(link.Socket, POLLIN, "the client's hello", link.Index) ||
            recv(link.Socket, &first, 1, MSG_PEEK) != 1) {
            Fail(link.Index, "the client sent no hello");
            return false;
        }
        return true;
    }
    case TlsStep::Kind::Send:
        return Send(link, step.text);
    case TlsStep::Kind::SendRaw: {
        SSL* session = link.Session;
        link.Session = nullptr;
        const bool sent = Send(link, step.text);
        link.Session = session;
        return sent;
    }
    case TlsStep::Kind::Hold:
        return Hold(link.Index, step.text);
    case TlsStep::Kind::Handshake:
        return Handshake(link, step);
    case TlsStep::Kind::CloseNotify:
        if (link.Session)
            SSL_shutdown(link.Session);
        shutdown(link.Socket, SHUT_WR);
        return true;
    case TlsStep::Kind::CloseWithoutNotify:
        shutdown(link.Socket, SHUT_WR);
        return true;
    case TlsStep::Kind::Reset:
        Reset(link);
        return false;
    }
    return false;
}

bool TlsScriptedServer::Handshake(SecureLink& link, const TlsStep& step)
{
    link.Context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(link.Context, step.credential.Certificate.get());
    SSL_CTX_use_PrivateKey(link.Context, step.credential.Key.get());
    link.Session = SSL_new(link.Context);
    SSL_set_fd(link.Session, link.Socket);
    for (;;) {
        ERR_clear_error();
        const int result = SSL_accept(link.Session);
        if (result == 1)
            break;
        const int error = SSL_get_error(link.Session, result);
        if ((error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) &&
            Wait(link.Socket, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, "the handshake", link.Index))
            continue;
        if (!step.refused)
            Fail(link.Index, "the handshake failed");
        return false;
    }
    if (step.refused) {
        Fail(link.Index, "the client accepted a certificate it should refuse");
        return false;
    }
    return true;
}

void TlsScriptedServer::Discard(SecureLink& link)
{
    char rest[4096];
    while (Wait(link.Socket, POLLIN, "the client's close", link.Index) && recv(link.Socket, rest, sizeof rest, 0) > 0) {
    }
}
