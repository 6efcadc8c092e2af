#pragma once

// How every wait of the serial port ends, on either system: at once when the
// transfer is cancelled; never later than the stall watch's next report,
// which the wait makes when its time has come (and then ends as if its own
// time were up); and, when the cancel signal gives the system nothing to wait
// on, within kFlagCheckMs to look at its flag again. Each system's device
// (PortDevice.h) supplies the wait itself: a poll, or WaitForMultipleObjects.

#include "comm/CancelSignal.h"
#include "comm/StallWatch.h"

#include <algorithm>
#include <chrono>

namespace tessel {

// How one wait ended.
enum class Wake { Ready, TimedOut, Cancelled, Failed };

class LineWait {
public:
    using Clock = std::chrono::steady_clock;

    // With a cancel signal that has no descriptor or event, waits wake this
    // often to look at its flag.
    static constexpr int kFlagCheckMs = 50;

    const CancelSignal* cancel = nullptr; // may be null: nothing cancels
    StallWatch stall;

    bool Cancelled() const { return cancel != nullptr && cancel->IsRaised(); }

    // Runs `systemWait(timeoutMs)` (-1: no limit), which waits for the port
    // and the cancel signal's descriptor or event and says Ready, TimedOut
    // or Failed, within the rules above: Cancelled whenever the signal is
    // raised before or after it.
    template <typename SystemWait>
    Wake Run(int timeoutMs, SystemWait&& systemWait) {
        if (const int untilStall = stall.UntilStall(); untilStall >= 0)
            timeoutMs = timeoutMs < 0 ? untilStall : std::min(timeoutMs, untilStall);
        if (cancel != nullptr && !cancel->CanWake() && (timeoutMs < 0 || timeoutMs > kFlagCheckMs))
            timeoutMs = kFlagCheckMs;
        if (Cancelled())
            return Wake::Cancelled;
        const Wake wake = systemWait(timeoutMs);
        if (Cancelled())
            return Wake::Cancelled;
        if (wake == Wake::TimedOut)
            stall.UntilStall();
        return wake;
    }

    // Waits `ms` milliseconds unless cancelled first: TimedOut when the time
    // is over. `systemWait` waits as for Run, for the cancel signal alone.
    template <typename SystemWait>
    Wake Pause(long ms, SystemWait&& systemWait) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return Cancelled() ? Wake::Cancelled : Wake::TimedOut;
            const Wake wake = Run(static_cast<int>(left), systemWait);
            if (wake != Wake::TimedOut)
                return wake;
        }
    }
};

} // namespace tessel
