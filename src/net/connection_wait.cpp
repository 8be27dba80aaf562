// Waiting for the transport: one plain wait, or passes with the window pumped between
// them while the anti-freeze is in use.
#include "net/anti_freeze.h"
#include "net/connection.h"
#include "net/errors.h"

#include <algorithm>

namespace {

[[noreturn]] void RaiseClosed(bool writing)
{
    if (writing)
        throw EIdNotConnected();
    throw EIdConnClosedGracefully();
}

} // namespace

bool TIdTCPConnection::WaitForTransport(TIdIOHandler& transport, int32_t timeout, bool writing)
{
    // One pass on the transport, which the pump of the pass before may have closed.
    const auto pass = [&](int32_t milliseconds) {
        if (!transport.SocketOpen())
            RaiseClosed(writing);
        return writing ? transport.WaitWritable(milliseconds) : transport.WaitReadable(milliseconds);
    };
    if (!TIdAntiFreezeBase::AntiFreezeInUse()) {
        if (!WaitInterruption::Installed())
            return pass(timeout);
        // Passes with the thread's check between them; a limit keeps its length.
        int32_t left = timeout;
        for (;;) {
            const int32_t slice = timeout < 0 ? WaitInterruptionSlice : std::min(left, WaitInterruptionSlice);
            if (pass(slice))
                return true;
            WaitInterruption::Check();
            if (timeout >= 0 && (left -= slice) <= 0)
                return false;
        }
    }

    // A limited wait keeps its schedule of passes; a wait without limit is passes of
    // IdleTimeOut until the transport is ready. Either kind of pass is cut short when a pump
    // falls due before its end.
    const int32_t idleTimeOut = std::max(CurrentAntiFreeze()->IdleTimeOut, 0);
    const std::vector<int32_t> schedule = timeout < 0 ? std::vector<int32_t>{idleTimeOut}
                                                      : SlicedWaitPasses(timeout, idleTimeOut);
    for (size_t next = 0; timeout < 0 || next < schedule.size(); ++next) {
        int32_t left = schedule[timeout < 0 ? 0 : next];
        do {
            // A handler may remove the anti-freeze; the rest of the wait is then one wait.
            TIdAntiFreezeBase* antiFreeze = TIdAntiFreezeBase::AntiFreezeInUse() ? CurrentAntiFreeze() : nullptr;
            if (!antiFreeze)
                return pass(timeout < 0 ? -2 : left);
            const int32_t slice = std::min(left, antiFreeze->MillisecondsUntilPumpDue());
            const bool ready = pass(slice);
            left -= slice;
            TIdAntiFreezeBase::YieldToUI(!ready);
            if (ready) {
                // A pump that fell due after the transport got ready may have closed it.
                if (!transport.SocketOpen())
                    RaiseClosed(writing);
                return true;
            }
        } while (left > 0);
    }
    return false;
}
