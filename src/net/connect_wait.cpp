// Connecting on a worker thread while the calling thread waits in slices, pumping
// messages, with a time limit.
#include "net/anti_freeze.h"
#include "net/errors.h"
#include "net/socket_layer.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace {

constexpr int32_t ConnectSlice = 125;

} // namespace

TIdConnectThread::TIdConnectThread(TIdSocketHandle& target) : FTarget(&target) {}

TIdConnectThread::~TIdConnectThread()
{
    if (!FThread.joinable())
        return;
    if (!Terminated())
        FTarget->AbandonConnect();
    FThread.join();
}

void TIdConnectThread::Start()
{
    FThread = std::thread([this] { Execute(); });
}

void TIdConnectThread::Execute()
{
    try {
        TIdStack& stack = *TIdStack::StackInstance();
        // WSAEBADF and WSAENOTSOCK: the socket was closed under the connect, which stays silent.
        stack.CheckSocketResult(FTarget->ConnectToPeer(), {WSAEBADF, WSAENOTSOCK});
    } catch (const std::exception& error) {
        FErrorText = error.what();
    }
    {
        std::lock_guard<std::mutex> lock(FLock);
        FTerminated = true;
    }
    FTerminatedChanged.notify_all();
}

bool TIdConnectThread::WaitForTerminated(int32_t milliseconds)
{
    std::unique_lock<std::mutex> lock(FLock);
    return FTerminatedChanged.wait_for(lock, std::chrono::milliseconds(std::max(0, milliseconds)),
                                       [this] { return FTerminated; });
}

bool TIdConnectThread::Terminated()
{
    std::lock_guard<std::mutex> lock(FLock);
    return FTerminated;
}

void TIdConnectThread::WaitFor()
{
    if (FThread.joinable())
        FThread.join();
}

void TIdIOHandlerSocket::ConnectWait(int32_t timeout)
{
    // A connect that ends at once (a loopback one does) needs no worker and no wait: it
    // ends as the worker's would, before any slice could have pumped a message.
    FLastConnectUsedWorker = false;
    int immediate = 0;
    try {
        if (TryConnectAtOnce && FSocketHandle->ConnectIfAtOnce(immediate)) {
            TIdStack::StackInstance()->CheckSocketResult(immediate, {WSAEBADF, WSAENOTSOCK});
            return;
        }
    } catch (const EIdSocketError& error) {
        throw EIdConnectException(error.what());
    }

    FLastConnectUsedWorker = true;
    TIdConnectThread worker(*FSocketHandle);
    worker.Start();

    const int32_t slice = TIdAntiFreezeBase::AntiFreezeInUse()
        ? std::min(CurrentAntiFreeze()->IdleTimeOut, ConnectSlice)
        : WaitInterruption::Installed() ? std::min(WaitInterruptionSlice, ConnectSlice) : ConnectSlice;
    int32_t left = timeout == -2 ? slice + 1 : timeout;

    // Each slice ends early when the worker finishes, so a quick connect costs no sleep.
    while (slice < left) {
        if (worker.WaitForTerminated(slice)) {
            left = 0;
            break;
        }
        left = timeout == -2 ? slice + 1 : left - slice;
        TIdAntiFreezeBase::YieldToUI(true);
        // A throw here leaves through the worker's destructor, which abandons the connect.
        WaitInterruption::Check();
        if (worker.Terminated()) {
            left = 0;
            break;
        }
    }
    worker.WaitForTerminated(left);

    if (!worker.Terminated()) {
        ShutSocket();
        worker.WaitFor();
        throw EIdConnectTimeout();
    }
    worker.WaitFor();
    if (!worker.ErrorText().empty())
        throw EIdConnectException(worker.ErrorText());
}
