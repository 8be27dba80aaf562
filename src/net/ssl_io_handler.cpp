// The secure transport: the handshake with its sliced waits, the encrypted reads and
// writes, and the TLS close.
#include "net/ssl_io_handler.h"

#include "net/anti_freeze.h"
#include "net/ssl_errors.h"
#include "net/ssl_session.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left of a wait that began at start with a limit of timeout (-2: none).
int32_t Remaining(int32_t timeout, Clock::time_point start)
{
    if (timeout < 0)
        return timeout;
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return spent >= timeout ? 0 : static_cast<int32_t>(timeout - spent);
}

// One wait for the socket to become readable or writable, for at most timeout ms (-2:
// no limit).
bool PollSocket(TIdSocketHandle& handle, bool writable, int32_t timeout)
{
    if (!handle.Allocated())
        throw EIdConnClosedGracefully();
    pollfd entry{handle.SocketValue(), static_cast<short>(writable ? POLLOUT : POLLIN), 0};
    int ready;
    do {
        ready = poll(&entry, 1, timeout < 0 ? -1 : timeout);
    } while (ready < 0 && errno == EINTR);
    return ready == 1;
}

} // namespace

TIdSSLIOHandlerSocket::TIdSSLIOHandlerSocket() = default;

TIdSSLIOHandlerSocket::~TIdSSLIOHandlerSocket()
{
    FreeSession();
    SSL_CTX_free(FContext);
}

void TIdSSLIOHandlerSocket::FreeSession()
{
    SSL_free(FSSL);
    FSSL = nullptr;
    FHandshakeDone = false;
}

void TIdSSLIOHandlerSocket::PrepareSocket()
{
    FreeSession();
    FSessionBroken = false;
    FEnding = Step::WantRead;
    FSocketError = 0;
    FRecordError.clear();
    FRefusal.clear();
    TIdIOHandlerSocket::PrepareSocket();
}

void TIdSSLIOHandlerSocket::ConnectSocket(const std::string& host, int32_t port, const std::string& boundIP,
                                          int32_t boundPort, int32_t portLow, int32_t portHigh, int32_t timeout)
{
    TIdIOHandlerSocket::ConnectSocket(host, port, boundIP, boundPort, portLow, portHigh, timeout);
    if (!PassThrough)
        StartSSL(host);
}

SSL_CTX* TIdSSLIOHandlerSocket::Context()
{
    if (!FContext)
        FContext = NewClientContext(CAFile);
    return FContext;
}

void TIdSSLIOHandlerSocket::StartSSL(const std::string& hostName)
{
    TIdSocketHandle* handle = SocketHandle();
    if (!handle || !handle->Allocated())
        throw EIdClosedSocket();
    SSL_CTX* context = Context();

    FreeSession();
    PassThrough = false;
    FHostName = hostName;
    FRefusal.clear();
    FSSL = NewClientSession(context, handle->SocketValue(), hostName, FRefusal);
    // Every write is a whole TLS record (a flight of the handshake, a request head):
    // waiting for the peer's acknowledgement before sending it would only add delay. A
    // socket the peer has already reset may refuse the option; the handshake then tells
    // what happened.
    TIdStack& stack = *TIdStack::StackInstance();
    stack.WSSetNoDelay(handle->SocketValue());
    const int flags = fcntl(handle->SocketValue(), F_GETFL);
    if (flags < 0 || fcntl(handle->SocketValue(), F_SETFL, flags | O_NONBLOCK) < 0)
        stack.ThrowSocketError(TIdStack::WinSockErrorNumber(errno));

    for (;;) {
        ClearSessionErrors();
        const int result = SSL_connect(FSSL);
        if (result == 1)
            break;
        const int error = SSL_get_error(FSSL, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            WaitForSocket(error == SSL_ERROR_WANT_WRITE, -2);
            continue;
        }
        FSessionBroken = true;
        if (!FRefusal.empty())
            throw EIdOSSLCertificateRefused("Certificate of " + hostName + " refused: " + FRefusal + ".");
        throw EIdOSSLConnectError("TLS handshake with " + hostName + " failed: " + HandshakeFailure(error) + ".");
    }
    FHandshakeDone = true;
}

void TIdSSLIOHandlerSocket::ShutSocket()
{
    // One attempt to send the TLS close, without waiting: the server then knows that
    // nothing of ours was cut off.
    if (Encrypted() && !FSessionBroken && SocketOpen()) {
        ClearSessionErrors();
        SSL_shutdown(FSSL);
        ClearSessionErrors();
    }
    FreeSession();
    TIdIOHandlerSocket::ShutSocket();
}

bool TIdSSLIOHandlerSocket::WaitForSocket(bool writable, int32_t timeout)
{
    const Clock::time_point start = Clock::now();
    for (;;) {
        const int32_t left = Remaining(timeout, start);
        TIdAntiFreezeBase* antiFreeze = TIdAntiFreezeBase::AntiFreezeInUse() ? CurrentAntiFreeze() : nullptr;
        int32_t pass = left;
        if (antiFreeze) {
            const int32_t due = antiFreeze->MillisecondsUntilPumpDue();
            pass = left < 0 ? due : std::min(left, due);
        }
        const bool ready = PollSocket(*SocketHandle(), writable, pass);
        TIdAntiFreezeBase::YieldToUI(!ready);
        // A handler run by the pump may have closed the connection.
        if (!SocketOpen())
            throw EIdConnClosedGracefully();
        if (ready)
            return true;
        if (left >= 0 && Remaining(timeout, start) == 0)
            return false;
    }
}

TIdSSLIOHandlerSocket::Step TIdSSLIOHandlerSocket::AfterFailedIO(int result)
{
    Step step;
    switch (SSL_get_error(FSSL, result)) {
    case SSL_ERROR_WANT_READ:
        return Step::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return Step::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
        step = Step::Closed;
        break;
    case SSL_ERROR_SYSCALL:
        step = LastSessionSocketError() != 0 ? Step::SocketFailed : Step::Cut;
        FSocketError = TIdStack::WinSockErrorNumber(LastSessionSocketError());
        break;
    default:
        step = SessionEndedWithoutNotify() ? Step::Cut : Step::BrokenRecord;
        FRecordError = SessionErrorText();
        break;
    }
    FSessionBroken = step != Step::Closed;
    FEnding = step;
    return step;
}

int32_t TIdSSLIOHandlerSocket::ReportEnding()
{
    if (FEnding == Step::Closed)
        return 0;
    ShutSocket();
    switch (FEnding) {
    case Step::Cut:
        throw EIdOSSLConnectionCut("The secure connection with " + FHostName +
                                   " ended without its TLS close: the page may have been cut short.");
    case Step::BrokenRecord:
        throw EIdOSSLDataError("Secure connection with " + FHostName + " broken: " + FRecordError + ".");
    default:
        TIdStack::StackInstance()->SetLastError(FSocketError);
        return -1;
    }
}

bool TIdSSLIOHandlerSocket::WaitReadable(int32_t timeout)
{
    if (!FSSL)
        return TIdIOHandlerSocket::WaitReadable(timeout);

    const Clock::time_point start = Clock::now();
    for (;;) {
        if (FEnding != Step::WantRead || SSL_pending(FSSL) > 0)
            return true;
        // A peek decrypts the next record, if it is all here, without taking its bytes.
        char byte;
        ClearSessionErrors();
        const int result = SSL_peek(FSSL, &byte, 1);
        if (result > 0)
            return true;
        const Step step = AfterFailedIO(result);
        if (step != Step::WantRead && step != Step::WantWrite)
            return true;
        if (!PollSocket(*SocketHandle(), step == Step::WantWrite, Remaining(timeout, start)))
            return false;
    }
}

bool TIdSSLIOHandlerSocket::WaitWritable(int32_t timeout)
{
    if (!FSSL)
        return TIdIOHandlerSocket::WaitWritable(timeout);
    return PollSocket(*SocketHandle(), true, timeout);
}

int32_t TIdSSLIOHandlerSocket::ReceiveSome(void* memory, int32_t length)
{
    if (!FSSL)
        return TIdIOHandlerSocket::ReceiveSome(memory, length);
    if (!SocketOpen())
        throw EIdClosedSocket();

    // Several records at once when they are here already: fewer rounds through the
    // connection's read loop for a large body.
    auto* bytes = static_cast<char*>(memory);
    int32_t total = 0;
    while (total < length && FEnding == Step::WantRead) {
        ClearSessionErrors();
        const int n = SSL_read(FSSL, bytes + total, length - total);
        if (n > 0) {
            total += n;
            continue;
        }
        const Step step = AfterFailedIO(n);
        if (total > 0 || (step != Step::WantRead && step != Step::WantWrite))
            break;
        // Only when a record was announced but not whole after all.
        WaitForSocket(step == Step::WantWrite, -2);
    }
    return total > 0 ? total : ReportEnding();
}

int32_t TIdSSLIOHandlerSocket::SendSome(const void* memory, int32_t length)
{
    if (!FSSL)
        return TIdIOHandlerSocket::SendSome(memory, length);
    if (!SocketOpen())
        throw EIdClosedSocket();

    for (;;) {
        ClearSessionErrors();
        const int n = SSL_write(FSSL, memory, length);
        if (n > 0)
            return n;
        const Step step = AfterFailedIO(n);
        if (step != Step::WantRead && step != Step::WantWrite)
            return ReportEnding();
        WaitForSocket(step == Step::WantWrite, -2);
    }
}
