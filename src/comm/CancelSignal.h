#pragma once

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
    bool IsRaised() const noexcept;
    // Readable once raised; -1 if the system refused to make one (then
    // IsRaised() still works, but waits can't be woken).
    int Fd() const noexcept { return m_fd; }

private:
    int m_fd = -1;
};

} // namespace tessel
