// The serial device on Linux: a terminal opened non-blocking, each wait a
// poll on it and on the cancel signal's descriptor together; every call
// through sys/SysCalls.h.

#include "comm/PortDevice.h"

#include "comm/CancelSignal.h"
#include "comm/TermiosConfig.h"
#include "sys/SysCalls.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <linux/serial.h> // serial_struct, ASYNC_CLOSING_WAIT_NONE
#include <optional>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>

namespace tessel {
namespace {

// When the driver reports room but refuses even one byte, try again after this.
constexpr int kStallRetryMs = 10;
// The most bytes handed to one write().
constexpr std::size_t kMaxChunk = 4096;
// After a cancel, a blocked drain or close is interrupted this often until it
// has ended: an interrupt that comes just before the call starts is lost.
constexpr int kInterruptRepeatMs = 10;

constexpr short kLineGone = POLLHUP | POLLERR | POLLNVAL;

// Waits until `first` or `second` is raised or `timeoutMs` (-1: no limit)
// has passed; false when the wait itself failed.
bool WaitForEither(const CancelSignal& first, const CancelSignal& second, int timeoutMs) {
    pollfd fds[2];
    nfds_t count = 0;
    for (const CancelSignal* signal : {&first, &second})
        if (signal->Fd() >= 0)
            fds[count++] = {signal->Fd(), POLLIN, 0};
    if (count < 2 && (timeoutMs < 0 || timeoutMs > LineWait::kFlagCheckMs))
        timeoutMs = LineWait::kFlagCheckMs;
    return sys::Poll(fds, count, timeoutMs) >= 0;
}

// While it lives, a cancel interrupts the system call that the thread which
// made it is blocked in: the drain that flow control holds for ever, the
// close that waits for the output to leave the line. A thread of its own
// waits for the cancel and then interrupts the other every few milliseconds
// until the object goes. When the system makes no such thread, StartError()
// says why: nothing would then end those calls on a cancel.
class InterruptOnCancel {
public:
    explicit InterruptOnCancel(const CancelSignal* cancel)
        : m_cancel(cancel), m_thread(::pthread_self()) {
        if (cancel != nullptr && sys::StartThread(m_watcher, Watch, this) != 0)
            m_startError = errno;
    }
    ~InterruptOnCancel() {
        if (!m_watcher.joinable())
            return;
        m_done.Raise();
        m_watcher.join();
    }
    InterruptOnCancel(const InterruptOnCancel&) = delete;
    InterruptOnCancel& operator=(const InterruptOnCancel&) = delete;

    // 0 when a cancel ends the calls (or there is no cancel to wait for),
    // else the system's error number for the thread it would not make.
    int StartError() const { return m_startError; }

private:
    static void Watch(void* context) {
        const auto& self = *static_cast<const InterruptOnCancel*>(context);
        while (!self.m_cancel->IsRaised() && !self.m_done.IsRaised())
            if (!WaitForEither(*self.m_cancel, self.m_done, -1))
                return;
        while (!self.m_done.IsRaised())
            if (sys::Interrupt(self.m_thread) != 0 ||
                !WaitForEither(self.m_done, self.m_done, kInterruptRepeatMs))
                return;
    }

    const CancelSignal* const m_cancel;
    const pthread_t m_thread; // the one whose calls are interrupted
    CancelSignal m_done;      // the watched calls are over
    int m_startError = 0;
    std::thread m_watcher;
};

} // namespace

struct PortDevice::System {
    int fd = -1;
    termios saved{};
    // What Open acquired, so that Release gives back exactly that.
    bool locked = false;
    bool exclusive = false;
    bool configured = false;
    bool linesRaised = false;
    std::optional<InterruptOnCancel> closeWatch;

    // The most bytes the driver takes at once, as far as is known.
    std::size_t chunk = kMaxChunk;

    // Blocks until the terminal (when `events` is not 0) reports one of
    // `events`, the cancel signal is raised, or `timeoutMs` (-1: no limit)
    // has passed, as `wait` rules. `revents` gets what the terminal
    // reported; `failure` the problem of a failed poll.
    Wake Wait(LineWait& wait, short events, int timeoutMs, short& revents, Problem& failure) const {
        revents = 0;
        return wait.Run(timeoutMs, [&](int ms) {
            pollfd fds[2];
            nfds_t count = 0;
            if (events != 0)
                fds[count++] = {fd, events, 0};
            if (wait.cancel != nullptr && wait.cancel->CanWake())
                fds[count++] = {wait.cancel->Fd(), POLLIN, 0};
            if (sys::Poll(fds, count, ms) < 0) {
                failure = LineFailure(errno);
                return Wake::Failed;
            }
            revents = events != 0 ? fds[0].revents : 0;
            return revents != 0 ? Wake::Ready : Wake::TimedOut;
        });
    }
};

PortDevice::PortDevice(LineWait& wait) : m_wait(wait), m_system(std::make_unique<System>()) {}

PortDevice::~PortDevice() {
    Release();
}

bool PortDevice::IsOpen() const {
    return m_system->fd >= 0;
}

Problem PortDevice::Open(const std::string& path, const LineConfiguration& config) {
    Release();
    System& port = *m_system;
    port.chunk = kMaxChunk;
    const auto fail = [this](int error) {
        Release();
        return OpenFailure(error);
    };

    port.fd = sys::Open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port.fd < 0)
        return OpenFailure(errno);

    // Exclusive use: the advisory lock keeps out programs that lock too,
    // root included; TIOCEXCL keeps out other opens (except root's). An
    // exclusive flag already set means another program holds the port.
    int heldExclusively = 0;
    if (sys::Ioctl(port.fd, TIOCGEXCL, &heldExclusively) == 0 && heldExclusively != 0)
        return fail(EBUSY);
    if (sys::Flock(port.fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    port.locked = true;
    if (sys::Ioctl(port.fd, TIOCEXCL) != 0)
        return fail(errno);
    port.exclusive = true;

    // Applied at once: bytes that already arrived stay to be read.
    if (sys::TcGetAttr(port.fd, port.saved) != 0)
        return fail(errno);
    termios tio = port.saved;
    if (!ApplyLineConfig(config, tio))
        return fail(EINVAL);
    if (sys::TcSetAttr(port.fd, TCSANOW, tio) != 0)
        return fail(errno);
    port.configured = true;

    // Pseudo-terminals have no modem lines: failures don't matter.
    int line = TIOCM_DTR;
    sys::Ioctl(port.fd, TIOCMBIS, &line);
    line = TIOCM_RTS;
    sys::Ioctl(port.fd, TIOCMBIS, &line);
    port.linesRaised = true;

    // Output some earlier program left behind goes nowhere near the device.
    sys::TcFlush(port.fd, TCOFLUSH);
    return {};
}

void PortDevice::Release() {
    System& port = *m_system;
    if (port.fd >= 0) {
        if (port.linesRaised) {
            int line = TIOCM_DTR;
            sys::Ioctl(port.fd, TIOCMBIC, &line);
            line = TIOCM_RTS;
            sys::Ioctl(port.fd, TIOCMBIC, &line);
        }
        if (port.configured)
            sys::TcSetAttr(port.fd, TCSANOW, port.saved);
        if (port.exclusive)
            sys::Ioctl(port.fd, TIOCNXCL);
        if (port.locked)
            sys::Flock(port.fd, LOCK_UN);
        sys::Close(port.fd);
        port.fd = -1;
        port.locked = port.exclusive = port.configured = port.linesRaised = false;
    }
    // The close is over: nothing is left to interrupt.
    port.closeWatch.reset();
}

Problem PortDevice::Write(const char* data, std::size_t count, std::size_t& written) {
    System& port = *m_system;
    bool hungUp = false;
    bool roomReported = false;
    for (;;) {
        const ssize_t n = sys::Write(port.fd, data, std::min(count, port.chunk));
        if (n > 0) {
            written = static_cast<std::size_t>(n);
            return {};
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return LineFailure(errno);
        if (hungUp)
            return LineFailure(EIO);
        if (roomReported) {
            // The driver reported room, yet took nothing: it has room for
            // fewer bytes than asked (a pseudo-terminal does this). Ask for
            // less; at one byte, give it a moment rather than spin.
            if (const std::size_t asked = std::min(count, port.chunk); asked > 1) {
                port.chunk = asked / 2;
            } else if (Problem problem = Pause(kStallRetryMs)) {
                return problem;
            }
        }
        short revents = 0;
        Problem failure;
        if (Problem problem =
                WaitProblem(port.Wait(m_wait, POLLOUT, -1, revents, failure), std::move(failure)))
            return problem;
        hungUp = (revents & kLineGone) != 0;
        roomReported = (revents & POLLOUT) != 0;
    }
}

Problem PortDevice::Read(char& byte, LineWait::Clock::time_point deadline) {
    const System& port = *m_system;
    bool hungUp = false;
    for (;;) {
        const ssize_t n = sys::Read(port.fd, &byte, 1);
        if (n == 1)
            return {};
        // read() gives 0 once the other end has hung up; bytes that arrived
        // before are read first.
        if (n == 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && hungUp))
            return HungUp();
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return LineFailure(errno);
        int timeoutMs = -1;
        if (deadline != LineWait::Clock::time_point{}) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - LineWait::Clock::now());
            if (left.count() <= 0)
                return LineFailure(ETIMEDOUT);
            timeoutMs = static_cast<int>(std::min<long long>(left.count(), INT_MAX));
        }
        short revents = 0;
        Problem failure;
        if (Problem problem = WaitProblem(port.Wait(m_wait, POLLIN, timeoutMs, revents, failure),
                                          std::move(failure)))
            return problem;
        hungUp = (revents & kLineGone) != 0;
    }
}

long PortDevice::Queued() const {
    // A driver that can't tell (or a pseudo-terminal, which always says 0)
    // has nothing queued as far as we can know.
    int queued = 0;
    return sys::Ioctl(m_system->fd, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

Problem PortDevice::Pause(long ms) {
    Problem failure;
    const Wake wake = m_wait.Pause(ms, [&](int timeoutMs) {
        short revents = 0;
        return m_system->Wait(m_wait, 0, timeoutMs, revents, failure);
    });
    return WaitProblem(wake, std::move(failure));
}

Problem PortDevice::Drain() {
    // The queue is empty; the adapter may still hold bytes that flow
    // control keeps from the line, for as long as it likes.
    for (;;) {
        if (m_wait.Cancelled())
            return LineFailure(ECANCELED);
        if (sys::TcDrain(m_system->fd) == 0)
            return {};
        if (errno != EINTR)
            return LineFailure(errno);
    }
}

void PortDevice::Discard() {
    const int fd = m_system->fd;
    sys::TcFlush(fd, TCOFLUSH);
    // The tty's own wait at close for the output to leave (30 s unless set
    // otherwise) would hold a stopped send as long again: it is turned off
    // where the driver lets us (most let only root). It is not put back, as
    // putting it back would bring the wait back.
    serial_struct serial{};
    if (sys::Ioctl(fd, TIOCGSERIAL, &serial) != 0 || serial.closing_wait == ASYNC_CLOSING_WAIT_NONE)
        return;
    serial.closing_wait = ASYNC_CLOSING_WAIT_NONE;
    sys::Ioctl(fd, TIOCSSERIAL, &serial);
}

Problem PortDevice::WatchClose() {
    System& port = *m_system;
    if (!port.closeWatch)
        port.closeWatch.emplace(m_wait.cancel);
    if (const int error = port.closeWatch->StartError(); error != 0)
        return LineFailure(error);
    return {};
}

} // namespace tessel
