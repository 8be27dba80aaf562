// Keeping the window usable during blocking network calls on the main thread: every
// wait for the transport is cut into passes with a message pump between them, and every
// send and connect slice calls the pump too. Besides pumping after a pass that found
// nothing, the pump runs whenever the last pump is older than IdleTimeOut, so a peer that
// trickles bytes cannot keep the window from being pumped. The pump itself belongs to the
// program: it installs a MessageQueue (the Qt program handles the events with
// processEvents).
#pragma once

#include "net/component.h"

#include <cstdint>
#include <functional>
#include <vector>

// The window system's message queue as the anti-freeze sees it.
class MessageQueue {
public:
    virtual ~MessageQueue() = default;
    virtual bool MessageWaiting() = 0;
    // Handles every waiting message, running the handlers they carry.
    virtual void ProcessMessages() = 0;
    // Handles one waiting message.
    virtual void HandleMessage() = 0;
};

class TIdAntiFreezeBase : public TIdBaseComponent {
public:
    // The anti-freeze created last becomes the current one; destroying any anti-freeze
    // leaves none current.
    TIdAntiFreezeBase();
    ~TIdAntiFreezeBase() override;

    // True on the program's main thread while a current anti-freeze is Active.
    static bool AntiFreezeInUse();
    // The pump hook of the waits: pumps when in use and the wait is idle, or when
    // OnlyWhenIdle is off, or when forced, or when the last pump is IdleTimeOut or more
    // milliseconds old.
    static void YieldToUI(bool idle = true, bool force = false);

    virtual void PumpMessages() = 0;

    // Milliseconds until a pump is due (0 when it is due now): the longest a wait pass
    // may last.
    int32_t MillisecondsUntilPumpDue();

    bool Active = true;
    bool ApplicationHasPriority = true;
    int32_t IdleTimeOut = 250;
    bool OnlyWhenIdle = true;

    // The clock that paces the pumps, in milliseconds: a steady clock unless a test gives
    // one it controls. Setting it counts as a pump at its present time.
    void SetClock(std::function<int64_t()> clock);

private:
    int64_t Now() const;

    std::function<int64_t()> FClock;
    int64_t FLastPump = 0;
};

class TIdAntiFreeze : public TIdAntiFreezeBase {
public:
    explicit TIdAntiFreeze(MessageQueue& messages);

    // With ApplicationHasPriority every waiting message, otherwise at most one.
    void PumpMessages() override;

private:
    MessageQueue& FMessages;
};

TIdAntiFreezeBase* CurrentAntiFreeze();

// The passes, in ms, of a read wait with a limit of timeout ms (0 or more) while the
// anti-freeze is in use: a first pass of the remainder, then passes of idleTimeOut ms,
// so that 1100 ms with 250 ms slices gives 100, 250, 250, 250, 250.
std::vector<int32_t> SlicedWaitPasses(int32_t timeout, int32_t idleTimeOut);

// A thread other than the window's (a lane of a Gather Data run) has no pump, but must still
// end any wait at once when its run is stopped. While an interruption is installed on a
// thread, that thread's transport and connect waits are cut into passes of at most
// WaitInterruptionSlice ms, and check runs between them; check throws to end the wait.
class WaitInterruption {
public:
    explicit WaitInterruption(std::function<void()> check);
    ~WaitInterruption();
    WaitInterruption(const WaitInterruption&) = delete;
    WaitInterruption& operator=(const WaitInterruption&) = delete;

    static bool Installed();
    // Runs the calling thread's check, when it has one.
    static void Check();

private:
    std::function<void()> FPrevious;
};

// Short enough that Stop ends a lane's wait well within the window's pump interval.
constexpr int32_t WaitInterruptionSlice = 50;
