#include "comm/ComPort.h"
#include "comm/StallWatch.h"

#include "comm/CancelSignal.h"
#include "comm/LinePacing.h"
#include "comm/TermiosConfig.h"
#include "res/StringTable.h"
#include "settings/ComSettings.h"
#include "sys/SysCalls.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h> // serial_struct, ASYNC_CLOSING_WAIT_NONE
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>

namespace tessel {
namespace {

using Clock = std::chrono::steady_clock;

// When the driver reports room but refuses even one byte, try again after this.
constexpr int kStallRetryMs = 10;
// With a cancel signal that has no descriptor, waits wake this often to look
// at its flag.
constexpr int kFlagCheckMs = 50;
// The most bytes handed to one write().
constexpr std::size_t kMaxChunk = 4096;
// After a cancel, a blocked drain or close is interrupted this often until it
// has ended: an interrupt that comes just before the call starts is lost.
constexpr int kInterruptRepeatMs = 10;

constexpr short kLineGone = POLLHUP | POLLERR | POLLNVAL;

std::string Reason(int error) {
    return SystemReason(error);
}

// Waits until `first` or `second` is raised or `timeoutMs` (-1: no limit)
// has passed; false when the wait itself failed.
bool WaitForEither(const CancelSignal& first, const CancelSignal& second, int timeoutMs) {
    pollfd fds[2];
    nfds_t count = 0;
    for (const CancelSignal* signal : {&first, &second})
        if (signal->Fd() >= 0)
            fds[count++] = {signal->Fd(), POLLIN, 0};
    if (count < 2 && (timeoutMs < 0 || timeoutMs > kFlagCheckMs))
        timeoutMs = kFlagCheckMs;
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

enum class CComPort::Wake { Ready, TimedOut, Cancelled, Failed };

struct CComPort::Impl {
    const CancelSignal* cancel = nullptr;
    termios saved{};
    // What Open acquired, so that Close releases exactly that.
    bool locked = false;
    bool exclusive = false;
    bool configured = false;
    bool linesRaised = false;

    LinePacing pacing;

    bool wrote = false;        // bytes were handed to the driver
    bool outputBroken = false; // a write failed or was cancelled
    std::size_t chunk = kMaxChunk;

    std::chrono::milliseconds readTimeout{0};

    StallWatch stall; // see WatchStalls

    bool Cancelled() const { return cancel != nullptr && cancel->IsRaised(); }

    // Blocks until `fd` (when not -1) reports one of `events`, the cancel
    // signal is raised, or `timeoutMs` (-1: no limit) has passed. `revents`
    // gets what the port reported; `error` the errno of a failed poll. A
    // stall report due meanwhile is made, and the wait then ends as if its
    // time were up.
    Wake Wait(int fd, short events, int timeoutMs, short& revents, int& error) {
        if (const int untilStall = stall.UntilStall(); untilStall >= 0)
            timeoutMs = timeoutMs < 0 ? untilStall : std::min(timeoutMs, untilStall);
        pollfd fds[2];
        nfds_t count = 0;
        if (fd >= 0)
            fds[count++] = {fd, events, 0};
        const int cancelFd = cancel != nullptr ? cancel->Fd() : -1;
        if (cancelFd >= 0)
            fds[count++] = {cancelFd, POLLIN, 0};
        else if (cancel != nullptr && (timeoutMs < 0 || timeoutMs > kFlagCheckMs))
            timeoutMs = kFlagCheckMs;

        if (Cancelled())
            return Wake::Cancelled;
        const int ready = sys::Poll(fds, count, timeoutMs);
        if (ready < 0) {
            error = errno;
            return Wake::Failed;
        }
        if (Cancelled())
            return Wake::Cancelled;
        revents = fd >= 0 ? fds[0].revents : 0;
        if (revents != 0)
            return Wake::Ready;
        stall.UntilStall();
        return Wake::TimedOut;
    }

    // Waits `ms` milliseconds unless cancelled first: TimedOut when the time
    // is over.
    Wake Pause(long ms, int& error) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return Cancelled() ? Wake::Cancelled : Wake::TimedOut;
            short revents = 0;
            const Wake wake = Wait(-1, 0, static_cast<int>(left), revents, error);
            if (wake != Wake::TimedOut)
                return wake;
        }
    }
};

CComPort::CComPort() : m_impl(std::make_unique<Impl>()) {}

CComPort::~CComPort() {
    // Only Close waits for the output to leave the line. A port destroyed
    // while open was left behind by an error its owner did not expect: what
    // is still queued no longer goes to the device.
    if (m_fd < 0 || !m_impl->wrote) {
        Release();
        return;
    }
    // Without its thread the close waits as long as the driver's own wait
    // at close allows, unless Discard could turn that off.
    const InterruptOnCancel interrupt(m_impl->cancel);
    Discard();
    Release();
}

bool CComPort::Open(const ComSettings& settings, const CancelSignal* cancel) {
    Close();
    m_device = DevicePath(settings);
    m_lastError.clear();

    m_openError = 0;
    m_timedOut = false;
    Impl& port = *m_impl;
    // A fresh start but for what was set for every open.
    Impl fresh;
    fresh.readTimeout = port.readTimeout;
    fresh.stall = std::move(port.stall);
    fresh.stall.Reset();
    port = std::move(fresh);
    port.cancel = cancel;
    port.pacing = LinePacing::For(settings);
    // Stopped before it began: the device is left as it is.
    if (port.Cancelled())
        return FailOpen(ECANCELED);

    m_fd = sys::Open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return FailOpen(errno);

    // Exclusive use: the advisory lock keeps out programs that lock too,
    // root included; TIOCEXCL keeps out other opens (except root's). An
    // exclusive flag already set means another program holds the port.
    int heldExclusively = 0;
    if (sys::Ioctl(m_fd, TIOCGEXCL, &heldExclusively) == 0 && heldExclusively != 0)
        return FailOpen(EBUSY);
    if (sys::Flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return FailOpen(errno == EWOULDBLOCK ? EBUSY : errno);
    port.locked = true;
    if (sys::Ioctl(m_fd, TIOCEXCL) != 0)
        return FailOpen(errno);
    port.exclusive = true;

    // Applied at once: bytes that already arrived stay to be read.
    if (sys::TcGetAttr(m_fd, port.saved) != 0)
        return FailOpen(errno);
    termios tio = port.saved;
    if (!ApplyLineConfig(settings.LineConfig, tio))
        return FailOpen(EINVAL);
    if (sys::TcSetAttr(m_fd, TCSANOW, tio) != 0)
        return FailOpen(errno);
    port.configured = true;

    // Pseudo-terminals have no modem lines: failures don't matter.
    int line = TIOCM_DTR;
    sys::Ioctl(m_fd, TIOCMBIS, &line);
    line = TIOCM_RTS;
    sys::Ioctl(m_fd, TIOCMBIS, &line);
    port.linesRaised = true;

    // Output some earlier program left behind goes nowhere near the device.
    sys::TcFlush(m_fd, TCOFLUSH);
    return true;
}

bool CComPort::IsOpen() const {
    return m_fd >= 0;
}

bool CComPort::FailOpen(int error) {
    m_openError = error;
    m_lastError = Reason(error);
    Release();
    return false;
}

bool CComPort::Close() {
    if (m_fd < 0)
        return true;
    Impl& port = *m_impl;
    if (!port.wrote) {
        Release();
        return true;
    }
    // From here on a cancel ends every wait: the one for the output queue
    // watches the cancel signal, the drain and the close are interrupted.
    const InterruptOnCancel interrupt(port.cancel);
    // A drain that nothing could end on a cancel is not begun: the send
    // fails as on a line error, with the system's reason, and what is
    // still queued is discarded.
    const int unwatched = interrupt.StartError();
    // Closing or restoring the configuration while bytes still wait would
    // cut off the end of the text.
    const bool delivered = !port.outputBroken && (unwatched == 0 || Broken(Reason(unwatched))) &&
                           WaitQueue(0, 0) && Drain();
    if (!delivered)
        Discard();
    Release();
    return delivered;
}

bool CComPort::Drain() {
    const Impl& port = *m_impl;
    // The queue is empty; the adapter may still hold bytes that flow
    // control keeps from the line, for as long as it likes.
    for (;;) {
        if (port.Cancelled())
            return Abandon();
        if (sys::TcDrain(m_fd) == 0)
            return true;
        if (errno != EINTR)
            return Broken(Reason(errno));
    }
}

void CComPort::Discard() {
    sys::TcFlush(m_fd, TCOFLUSH);
    // The tty's own wait at close for the output to leave (30 s unless set
    // otherwise) would hold a stopped send as long again: it is turned off
    // where the driver lets us (most let only root). It is not put back, as
    // putting it back would bring the wait back.
    serial_struct serial{};
    if (sys::Ioctl(m_fd, TIOCGSERIAL, &serial) != 0 ||
        serial.closing_wait == ASYNC_CLOSING_WAIT_NONE)
        return;
    serial.closing_wait = ASYNC_CLOSING_WAIT_NONE;
    sys::Ioctl(m_fd, TIOCSSERIAL, &serial);
}

void CComPort::Release() {
    if (m_fd < 0)
        return;
    Impl& port = *m_impl;
    if (port.linesRaised) {
        int line = TIOCM_DTR;
        sys::Ioctl(m_fd, TIOCMBIC, &line);
        line = TIOCM_RTS;
        sys::Ioctl(m_fd, TIOCMBIC, &line);
    }
    if (port.configured)
        sys::TcSetAttr(m_fd, TCSANOW, port.saved);
    if (port.exclusive)
        sys::Ioctl(m_fd, TIOCNXCL);
    if (port.locked)
        sys::Flock(m_fd, LOCK_UN);
    sys::Close(m_fd);
    m_fd = -1;
    port.locked = port.exclusive = port.configured = port.linesRaised = false;
}

bool CComPort::Write(const char* data, std::size_t count, std::size_t* taken) {
    if (taken)
        *taken = 0;
    if (m_fd < 0)
        return Broken(Reason(EBADF));
    Impl& port = *m_impl;
    if (port.Cancelled())
        return Abandon();
    if (count == 0)
        return true;
    port.wrote = true;
    port.stall.Start();

    const bool paced = port.pacing.Paced();
    for (std::size_t done = 0; done < count;) {
        std::size_t written = 0;
        if (!WriteSome(data + done, paced ? 1 : count - done, written))
            return false;
        if (taken)
            *taken = done + written;
        if (paced && !PaceAfter(data[done]))
            return false;
        done += written;
        const auto ahead = static_cast<int>(port.pacing.aheadLimit);
        if (!WaitQueue(ahead, ahead / 2))
            return false;
    }
    return true;
}

bool CComPort::WriteSome(const char* data, std::size_t count, std::size_t& written) {
    Impl& port = *m_impl;
    bool hungUp = false;
    bool roomReported = false;
    for (;;) {
        const ssize_t n = sys::Write(m_fd, data, std::min(count, port.chunk));
        if (n > 0) {
            port.stall.Moved();
            written = static_cast<std::size_t>(n);
            return true;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return Broken(Reason(errno));
        if (hungUp)
            return Broken(Reason(EIO));
        int error = 0;
        if (roomReported) {
            // The driver reported room, yet took nothing: it has room for
            // fewer bytes than asked (a pseudo-terminal does this). Ask for
            // less; at one byte, give it a moment rather than spin.
            if (const std::size_t asked = std::min(count, port.chunk); asked > 1) {
                port.chunk = asked / 2;
            } else if (const Wake wake = port.Pause(kStallRetryMs, error); !GoOn(wake, error)) {
                return false;
            }
        }
        short revents = 0;
        if (const Wake wake = port.Wait(m_fd, POLLOUT, -1, revents, error); !GoOn(wake, error))
            return false;
        hungUp = (revents & kLineGone) != 0;
        roomReported = (revents & POLLOUT) != 0;
    }
}

bool CComPort::WaitQueue(int above, int target) {
    Impl& port = *m_impl;
    for (int before = INT32_MAX;;) {
        // A driver that can't tell (or a pseudo-terminal, which always says
        // 0) has nothing queued as far as we can know.
        int queued = 0;
        if (sys::Ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= above)
            return true;
        if (queued < before)
            port.stall.Moved();
        before = queued;
        above = target;
        const long ms = port.pacing.QueueWaitMs(queued - target);
        int error = 0;
        if (const Wake wake = port.Pause(ms, error); !GoOn(wake, error))
            return false;
    }
}

bool CComPort::PaceAfter(char byte) {
    Impl& port = *m_impl;
    const unsigned ms = port.pacing.PauseAfter(byte);
    if (ms == 0)
        return true;
    // The pause is for the device: it starts once the byte has left, and a
    // pause of our own is no stall.
    if (!WaitQueue(0, 0))
        return false;
    port.stall.PauseFor(std::chrono::milliseconds(ms));
    int error = 0;
    if (const Wake wake = port.Pause(ms, error); !GoOn(wake, error))
        return false;
    return true;
}

bool CComPort::ReadByte(char* byte) {
    if (m_fd < 0)
        return Broken(Reason(EBADF));
    Impl& port = *m_impl;
    if (port.Cancelled())
        return Abandon();
    m_timedOut = false;
    const auto deadline = Clock::now() + port.readTimeout;
    bool hungUp = false;
    for (;;) {
        const ssize_t n = sys::Read(m_fd, byte, 1);
        if (n == 1) {
            port.stall.Moved();
            port.stall.Start();
            return true;
        }
        // read() gives 0 once the other end has hung up; bytes that arrived
        // before are read first.
        if (n == 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && hungUp))
            return Broken(std::string(LoadString(IDS_REASON_HUNG_UP)));
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return Broken(Reason(errno));
        int timeoutMs = -1;
        if (port.readTimeout.count() > 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                m_timedOut = true;
                return Broken(Reason(ETIMEDOUT));
            }
            timeoutMs = static_cast<int>(std::min<long long>(left.count(), INT32_MAX));
        }
        short revents = 0;
        int error = 0;
        if (const Wake wake = port.Wait(m_fd, POLLIN, timeoutMs, revents, error);
            !GoOn(wake, error))
            return false;
        hungUp = (revents & kLineGone) != 0;
    }
}

void CComPort::SetReadTimeout(std::chrono::milliseconds timeout) {
    m_impl->readTimeout = std::max(timeout, std::chrono::milliseconds(0));
}

void CComPort::WatchStalls(std::chrono::milliseconds after,
                           std::function<void(bool stalled)> report) {
    m_impl->stall.Set(after, std::move(report));
}

bool CComPort::GoOn(Wake wake, int error) {
    switch (wake) {
    case Wake::Cancelled:
        return Abandon();
    case Wake::Failed:
        return Broken(Reason(error));
    case Wake::TimedOut:
    case Wake::Ready:
        break;
    }
    return true;
}

bool CComPort::Broken(std::string reason) {
    m_lastError = std::move(reason);
    m_impl->outputBroken = m_impl->wrote;
    return false;
}

bool CComPort::Abandon() {
    // What is still queued would reach the device after the user stopped
    // the transfer.
    Impl& port = *m_impl;
    if (port.wrote && m_fd >= 0)
        sys::TcFlush(m_fd, TCOFLUSH);
    return Broken(Reason(ECANCELED));
}

std::string DevicePath(const ComSettings& settings) {
    const std::size_t index = settings.COMPort < std::size(settings.Device) ? settings.COMPort : 0;
    if (!settings.Device[index].empty())
        return settings.Device[index];
    return "/dev/ttyUSB" + std::to_string(index);
}

} // namespace tessel
