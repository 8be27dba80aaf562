// Connecting to a name with several addresses: each is tried in turn, the next one
// started as soon as one fails or after a short delay while the slow one stays in play,
// and the first connection made is the one kept.
#include "net/anti_freeze.h"
#include "net/errors.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <chrono>

namespace {

// How long a connect that has not ended holds back the next address (RFC 8305's
// recommended value): long enough for a working path to answer, short enough that a
// dead one costs little.
constexpr int32_t ConnectAttemptDelay = 250;
constexpr int32_t RaceSlice = 125;

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Closes every socket still in play when the race ends, however it ends.
class Attempts {
public:
    explicit Attempts(TIdStack& stack) : FStack(stack) {}
    ~Attempts()
    {
        for (const int socket : FSockets)
            FStack.WSCloseSocket(socket);
    }
    Attempts(const Attempts&) = delete;
    Attempts& operator=(const Attempts&) = delete;

    std::vector<int>& Sockets() { return FSockets; }
    // Takes socket out of the race, for good or to close it.
    int Take(size_t index)
    {
        const int socket = FSockets[index];
        FSockets.erase(FSockets.begin() + static_cast<std::ptrdiff_t>(index));
        return socket;
    }

private:
    TIdStack& FStack;
    std::vector<int> FSockets;
};

} // namespace

void TIdIOHandlerSocket::ConnectToFirstOf(const std::vector<std::string>& addresses, int32_t port, int32_t timeout)
{
    TIdStack& stack = *TIdStack::StackInstance();
    TIdSocketHandle& handle = *FSocketHandle;
    const int32_t slice = TIdAntiFreezeBase::AntiFreezeInUse()
        ? std::max(1, std::min(CurrentAntiFreeze()->IdleTimeOut, RaceSlice))
        : RaceSlice;
    const int64_t start = NowMs();
    int64_t lastStart = start;
    size_t next = 0;
    int lastError = 0;
    Attempts attempts(stack);
    FLastConnectUsedWorker = false;

    for (;;) {
        // The held socket is released by Stop: that ends the race.
        if (!handle.Allocated())
            throw EIdNotConnected();
        const int64_t now = NowMs();
        if (next < addresses.size() && (attempts.Sockets().empty() || now - lastStart >= ConnectAttemptDelay)) {
            const std::string& address = addresses[next++];
            lastStart = now;
            const int socket = stack.WSSocket(address.find(':') != std::string::npos);
            if (socket < 0) {
                lastError = stack.WSGetLastError();
                continue;
            }
            if (!UseNagle)
                stack.WSSetNoDelay(socket);
            const int started = stack.WSStartConnect(socket, address, port);
            if (started == 0) {
                handle.TakeConnectedSocket(socket);
                return;
            }
            if (started == TIdStack::ConnectInProgress) {
                attempts.Sockets().push_back(socket);
            } else {
                lastError = stack.WSGetLastError();
                stack.WSCloseSocket(socket);
            }
            continue;
        }
        if (attempts.Sockets().empty()) {
            stack.SetLastError(lastError);
            throw EIdConnectException(EIdSocketError(lastError, TIdStack::SocketErrorText(lastError)).what());
        }
        if (timeout != -2 && now - start >= timeout)
            throw EIdConnectTimeout();

        int32_t wait = slice;
        if (next < addresses.size())
            wait = std::min<int64_t>(wait, std::max<int64_t>(0, lastStart + ConnectAttemptDelay - now));
        if (timeout != -2)
            wait = std::min<int64_t>(wait, std::max<int64_t>(0, start + timeout - now));
        stack.WSAwaitConnects(attempts.Sockets(), -1, wait);

        bool ended = false;
        for (size_t index = 0; index < attempts.Sockets().size();) {
            const int result = stack.WSFinishConnect(attempts.Sockets()[index], -1, 0);
            if (result == TIdStack::ConnectInProgress) {
                ++index;
                continue;
            }
            ended = true;
            const int socket = attempts.Take(index);
            if (result == 0) {
                handle.TakeConnectedSocket(socket);
                return;
            }
            lastError = stack.WSGetLastError();
            stack.WSCloseSocket(socket);
            // A failed address gives way to the next one at once.
            lastStart = NowMs() - ConnectAttemptDelay;
        }
        if (!ended)
            TIdAntiFreezeBase::YieldToUI(true);
    }
}
