#pragma once

#include <atomic>

namespace tessel {

// A one-way "stop now" signal between threads. Raising it is thread-safe,
// async-signal-safe (a Ctrl-C handler may raise it) and idempotent; once
// raised it stays raised, so a wait that starts later still sees it. Waits
// on the serial port watch Fd() (Windows: Event()) next to the port itself;
// CanWake() says whether there is one.
class CancelSignal {
public:
    CancelSignal();
    ~CancelSignal();
    CancelSignal(const CancelSignal&) = delete;
    CancelSignal& operator=(const CancelSignal&) = delete;

    void Raise() noexcept;
    bool IsRaised() const noexcept { return m_raised.load(std::memory_order_acquire); }
#if defined(_WIN32)
    // A manual-reset event, set once raised; null if the system refused to
    // make one (then IsRaised() still works, but waits can't be woken).
    void* Event() const noexcept {
        return m_event;
    }
    bool CanWake() const noexcept {
        return m_event != nullptr;
    }
#else
    // Readable once raised; -1 if the system refused to make one (then
    // IsRaised() still works, but waits can't be woken).
    int Fd() const noexcept {
        return m_fd;
    }
    bool CanWake() const noexcept {
        return m_fd >= 0;
    }
#endif

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "Raise() must be async-signal-safe");

#if defined(_WIN32)
    void* m_event = nullptr; // a HANDLE
#else
    int m_fd = -1; // an eventfd, never read: it stays readable once written
#endif
    std::atomic<bool> m_raised{false};
};

} // namespace tessel
