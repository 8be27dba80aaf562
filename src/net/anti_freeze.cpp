#include "net/anti_freeze.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Static initialisation runs on the thread the program started on.
const std::thread::id MainThread = std::this_thread::get_id();

std::atomic<TIdAntiFreezeBase*> Current{nullptr};

} // namespace

TIdAntiFreezeBase::TIdAntiFreezeBase()
{
    Current = this;
    FLastPump = Now();
}

TIdAntiFreezeBase::~TIdAntiFreezeBase()
{
    Current = nullptr;
}

bool TIdAntiFreezeBase::AntiFreezeInUse()
{
    TIdAntiFreezeBase* current = Current;
    return current != nullptr && std::this_thread::get_id() == MainThread && current->Active;
}

void TIdAntiFreezeBase::YieldToUI(bool idle, bool force)
{
    if (!AntiFreezeInUse())
        return;
    TIdAntiFreezeBase* current = Current;
    if (!(idle || !current->OnlyWhenIdle || force || current->MillisecondsUntilPumpDue() == 0))
        return;
    current->PumpMessages();
    // A handler run by the pump may have destroyed the anti-freeze.
    if (Current == current)
        current->FLastPump = current->Now();
}

int32_t TIdAntiFreezeBase::MillisecondsUntilPumpDue()
{
    const int64_t slice = std::max(IdleTimeOut, 0);
    return static_cast<int32_t>(std::clamp<int64_t>(FLastPump + slice - Now(), 0, slice));
}

void TIdAntiFreezeBase::SetClock(std::function<int64_t()> clock)
{
    FClock = std::move(clock);
    FLastPump = Now();
}

int64_t TIdAntiFreezeBase::Now() const
{
    if (FClock)
        return FClock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

TIdAntiFreeze::TIdAntiFreeze(MessageQueue& messages) : FMessages(messages) {}

void TIdAntiFreeze::PumpMessages()
{
    if (ApplicationHasPriority) {
        FMessages.ProcessMessages();
    } else if (FMessages.MessageWaiting()) {
        FMessages.HandleMessage();
    }
}

TIdAntiFreezeBase* CurrentAntiFreeze()
{
    return Current;
}

std::vector<int32_t> SlicedWaitPasses(int32_t timeout, int32_t idleTimeOut)
{
    if (idleTimeOut <= 0 || timeout <= idleTimeOut)
        return {timeout};
    const int64_t passes = (static_cast<int64_t>(timeout) + idleTimeOut - 1) / idleTimeOut;
    std::vector<int32_t> schedule(static_cast<size_t>(passes), idleTimeOut);
    schedule.front() = static_cast<int32_t>(timeout - idleTimeOut * (passes - 1));
    return schedule;
}

namespace {

thread_local std::function<void()> ThreadInterruption;

} // namespace

WaitInterruption::WaitInterruption(std::function<void()> check) : FPrevious(std::move(ThreadInterruption))
{
    ThreadInterruption = std::move(check);
}

WaitInterruption::~WaitInterruption()
{
    ThreadInterruption = std::move(FPrevious);
}

bool WaitInterruption::Installed()
{
    return static_cast<bool>(ThreadInterruption);
}

void WaitInterruption::Check()
{
    if (ThreadInterruption)
        ThreadInterruption();
}
