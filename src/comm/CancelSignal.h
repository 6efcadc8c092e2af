#pragma once

#include <atomic>

namespace tessel {

// A one-way "stop now" signal between threads. Raising it is thread-safe,
// async-signal-safe (a Ctrl-C handler may raise it) and idempotent; once
// raised it stays raised, so a wait that starts later still sees it. Waits
// on the serial port watch Fd() next to the port itself.
class CancelSignal {
public:
    CancelSignal();
    ~CancelSignal();
    CancelSignal(const CancelSignal&) = delete;
    CancelSignal& operator=(const CancelSignal&) = delete;

    void Raise() noexcept;
    bool IsRaised() const noexcept { return m_raised.load(std::memory_order_acquire); }
    // Readable once raised; -1 if the system refused to make one (then
    // IsRaised() still works, but waits can't be woken).
    int Fd() const noexcept { return m_fd; }

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "Raise() must be async-signal-safe");

    int m_fd = -1; // an eventfd, never read: it stays readable once written
    std::atomic<bool> m_raised{false};
};

} // namespace tessel
