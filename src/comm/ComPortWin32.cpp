// The serial port on Windows: a COM device opened for overlapped I/O, each
// wait on the operation's event and the cancel signal's event together, so
// that a cancel ends it at once (CancelIoEx).

#include "comm/ComPort.h"
#include "comm/StallWatch.h"

#include "comm/CancelSignal.h"
#include "comm/DcbConfig.h"
#include "comm/LinePacing.h"
#include "comm/PortDiscovery.h"
#include "res/StringTable.h"
#include "settings/ComSettings.h"
#include "sys/SysCalls.h"
#include "sys/Win32.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

namespace tessel {
namespace {

using Clock = std::chrono::steady_clock;

// The table's words for the common errors, else the system's own.
std::string SystemMessage(DWORD error) {
    return SystemReason(sys::win32::ErrnoFrom(error), sys::win32::SystemMessage(error));
}

// With a cancel signal that has no event, waits wake this often to look at
// its flag.
constexpr DWORD kFlagCheckMs = 50;
// The driver's queues, as large as the classic program asked for.
constexpr DWORD kQueueSize = 65535;
// After a cancel, a blocked drain is cancelled this often until it has ended.
constexpr DWORD kCancelRepeatMs = 10;

// COM<number> (or "COM<number>:") as the device name Win32 opens for any
// number; any other name as it is.
std::wstring DeviceName(const std::string& device) {
    const unsigned number = ComNumber(device);
    return sys::win32::Widen(number != 0 ? "\\\\.\\COM" + std::to_string(number) : device);
}

class Event {
public:
    Event() : m_handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() {
        if (m_handle != nullptr)
            ::CloseHandle(m_handle);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// While it lives, a cancel ends the synchronous call the creating thread is
// blocked in (the drain that flow control holds): a thread of its own waits
// for the cancel and then cancels the other's I/O every few milliseconds
// until the object goes. When the system makes no such thread, StartError()
// says why: nothing would then end that call on a cancel.
class CancelSyncOnCancel {
public:
    explicit CancelSyncOnCancel(const CancelSignal* cancel) : m_cancel(cancel) {
        if (cancel == nullptr)
            return;
        HANDLE self = nullptr;
        if (m_done.get() == nullptr ||
            !::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(),
                               &self, THREAD_TERMINATE, FALSE, 0)) {
            m_startError = sys::win32::ErrnoFrom(::GetLastError());
            return;
        }
        m_thread = self;
        if (sys::StartThread(m_watcher, Watch, this) != 0)
            m_startError = errno;
    }
    ~CancelSyncOnCancel() {
        if (m_watcher.joinable()) {
            ::SetEvent(m_done.get());
            m_watcher.join();
        }
        if (m_thread != nullptr)
            ::CloseHandle(m_thread);
    }
    CancelSyncOnCancel(const CancelSyncOnCancel&) = delete;
    CancelSyncOnCancel& operator=(const CancelSyncOnCancel&) = delete;

    // 0 when a cancel ends the call (or there is no cancel to wait for),
    // else the error number of what the system would not make.
    int StartError() const { return m_startError; }

private:
    static void Watch(void* context) {
        auto& self = *static_cast<CancelSyncOnCancel*>(context);
        // A cancel signal without an event is looked at every few
        // milliseconds instead.
        const HANDLE cancelEvent = static_cast<HANDLE>(self.m_cancel->Event());
        const HANDLE both[] = {self.m_done.get(), cancelEvent};
        while (!self.m_cancel->IsRaised()) {
            const DWORD wake = cancelEvent != nullptr
                                   ? ::WaitForMultipleObjects(2, both, FALSE, INFINITE)
                                   : ::WaitForSingleObject(self.m_done.get(), kFlagCheckMs);
            if (wake != WAIT_OBJECT_0 + 1 && wake != WAIT_TIMEOUT)
                return; // the call is over (or the wait failed)
        }
        do
            ::CancelSynchronousIo(self.m_thread);
        while (::WaitForSingleObject(self.m_done.get(), kCancelRepeatMs) == WAIT_TIMEOUT);
    }

    const CancelSignal* const m_cancel;
    Event m_done;
    HANDLE m_thread = nullptr;
    int m_startError = 0;
    std::thread m_watcher;
};

} // namespace

enum class CComPort::Wake { Ready, TimedOut, Cancelled, Failed };

struct CComPort::Impl {
    const CancelSignal* cancel = nullptr;
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;
    DCB saved{};
    bool configured = false;
    bool linesRaised = false;

    LinePacing pacing;

    bool wrote = false;
    bool outputBroken = false;
    std::string error; // the reason of the last failed operation

    std::chrono::milliseconds readTimeout{0};

    StallWatch stall; // see WatchStalls

    bool Cancelled() const { return cancel != nullptr && cancel->IsRaised(); }

    HANDLE CancelEvent() const {
        return cancel != nullptr ? static_cast<HANDLE>(cancel->Event()) : nullptr;
    }

    // Waits until `event` (when not null) is set, the cancel signal is
    // raised, or `timeoutMs` (INFINITE: no limit) has passed. A stall report
    // due meanwhile is made, and the wait then ends as if its time were up.
    Wake Wait(HANDLE event, DWORD timeoutMs, DWORD& failure) {
        if (const int untilStall = stall.UntilStall(); untilStall >= 0)
            timeoutMs = std::min(timeoutMs, static_cast<DWORD>(untilStall));
        HANDLE handles[2];
        DWORD count = 0;
        if (event != nullptr)
            handles[count++] = event;
        const HANDLE cancelEvent = CancelEvent();
        if (cancelEvent != nullptr)
            handles[count++] = cancelEvent;
        else if (cancel != nullptr && timeoutMs > kFlagCheckMs)
            timeoutMs = kFlagCheckMs;
        for (;;) {
            if (Cancelled())
                return Wake::Cancelled;
            const DWORD result = count == 0
                                     ? (::Sleep(timeoutMs), WAIT_TIMEOUT)
                                     : ::WaitForMultipleObjects(count, handles, FALSE, timeoutMs);
            if (Cancelled())
                return Wake::Cancelled;
            if (result == WAIT_TIMEOUT) {
                stall.UntilStall();
                return Wake::TimedOut;
            }
            if (result == WAIT_FAILED) {
                failure = ::GetLastError();
                return Wake::Failed;
            }
            if (event != nullptr && result == WAIT_OBJECT_0)
                return Wake::Ready;
        }
    }

    Wake Pause(long ms, DWORD& failure) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return Cancelled() ? Wake::Cancelled : Wake::TimedOut;
            const Wake wake = Wait(nullptr, static_cast<DWORD>(left), failure);
            if (wake != Wake::TimedOut)
                return wake;
        }
    }

    // Runs one overlapped read or write to its end, or until `deadline`
    // (none when zero): true with `done` bytes, false on an error, a cancel
    // or the deadline (`error` says which). An operation ended early is taken
    // back (CancelIoEx) before this returns, unless it completed first: then
    // its bytes count.
    bool Run(bool reading, void* data, DWORD count, DWORD& done, bool& cancelled, bool& timedOut,
             Clock::time_point deadline = {}) {
        cancelled = false;
        timedOut = false;
        OVERLAPPED block{};
        block.hEvent = reading ? readEvent : writeEvent;
        ::ResetEvent(block.hEvent);
        done = 0;
        const BOOL started = reading ? ::ReadFile(port, data, count, nullptr, &block)
                                     : ::WriteFile(port, data, count, nullptr, &block);
        if (!started && ::GetLastError() != ERROR_IO_PENDING) {
            error = SystemMessage(::GetLastError());
            return false;
        }
        DWORD failure = 0;
        Wake wake = started ? Wake::Ready : Wake::TimedOut;
        while (wake == Wake::TimedOut) {
            DWORD timeoutMs = INFINITE;
            if (deadline != Clock::time_point{}) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0) {
                    timedOut = true;
                    break;
                }
                timeoutMs = static_cast<DWORD>(std::min<long long>(left, INFINITE - 1));
            }
            wake = Wait(block.hEvent, timeoutMs, failure);
        }
        if (wake != Wake::Ready)
            ::CancelIoEx(port, &block);
        if (::GetOverlappedResult(port, &block, &done, TRUE)) {
            timedOut = false;
            return true;
        }
        const DWORD result = ::GetLastError();
        if (timedOut) {
            error = SystemReason(ETIMEDOUT);
        } else if (wake == Wake::Cancelled || result == ERROR_OPERATION_ABORTED) {
            cancelled = true;
            error = SystemReason(ECANCELED);
        } else {
            error = SystemMessage(wake == Wake::Failed ? failure : result);
        }
        return false;
    }

    // Bytes still in the driver's output queue; 0 when it does not say.
    DWORD Queued() const {
        COMSTAT status{};
        DWORD errors = 0;
        return ::ClearCommError(port, &errors, &status) ? status.cbOutQue : 0;
    }
};

CComPort::CComPort() : m_impl(std::make_unique<Impl>()) {}

CComPort::~CComPort() {
    if (m_impl->port != INVALID_HANDLE_VALUE && m_impl->wrote)
        Discard();
    Release();
}

bool CComPort::IsOpen() const {
    return m_impl->port != INVALID_HANDLE_VALUE;
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
    if (port.Cancelled()) {
        m_openError = ECANCELED;
        m_lastError = SystemReason(ECANCELED);
        return false;
    }

    // No sharing: the system refuses a port that another program holds.
    port.port = ::CreateFileW(DeviceName(m_device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port.port == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const bool inUse = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        m_openError = inUse ? EBUSY : sys::win32::ErrnoFrom(error);
        m_lastError = inUse ? SystemReason(EBUSY) : SystemMessage(error);
        Release();
        return false;
    }
    auto fail = [&](std::string reason) {
        m_openError = EIO;
        m_lastError = std::move(reason);
        Release();
        return false;
    };
    ::SetupComm(port.port, kQueueSize, kQueueSize);
    port.saved.DCBlength = sizeof(DCB);
    if (!::GetCommState(port.port, &port.saved))
        return fail(SystemMessage(::GetLastError()));
    DCB dcb = port.saved;
    if (!ApplyLineConfig(settings.LineConfig, dcb))
        return fail(SystemReason(EINVAL));
    if (!::SetCommState(port.port, &dcb))
        return fail(SystemMessage(::GetLastError()));
    port.configured = true;
    // No time-outs: a read waits until its byte has come, a write until its
    // bytes have gone; a cancel ends either.
    COMMTIMEOUTS timeouts{};
    ::SetCommTimeouts(port.port, &timeouts);

    port.readEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port.writeEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (port.readEvent == nullptr || port.writeEvent == nullptr)
        return fail(SystemMessage(::GetLastError()));

    // A port without modem lines (a pseudo-terminal under Wine) refuses
    // these; the line works without them.
    ::EscapeCommFunction(port.port, SETDTR);
    ::EscapeCommFunction(port.port, SETRTS);
    port.linesRaised = true;
    DWORD errors = 0;
    ::ClearCommError(port.port, &errors, nullptr);
    // Output some earlier program left behind goes nowhere near the device;
    // bytes that already arrived stay to be read.
    ::PurgeComm(port.port, PURGE_TXABORT | PURGE_TXCLEAR);
    return true;
}

bool CComPort::FailOpen(int error) {
    m_openError = error;
    Release();
    return false;
}

bool CComPort::Close() {
    Impl& port = *m_impl;
    if (port.port == INVALID_HANDLE_VALUE)
        return true;
    if (!port.wrote) {
        Release();
        return true;
    }
    const bool delivered = !port.outputBroken && WaitQueue(0, 0) && Drain();
    if (!delivered)
        Discard();
    Release();
    return delivered;
}

bool CComPort::Drain() {
    const Impl& port = *m_impl;
    if (port.Cancelled())
        return Abandon();
    // The queue is empty; the adapter may still hold bytes that flow control
    // keeps from the line. FlushFileBuffers waits for them; a cancel ends it.
    const CancelSyncOnCancel cancelOnCancel(port.cancel);
    // A wait that nothing could end on a cancel is not begun: the send
    // fails as on a line error, with the system's reason.
    if (const int unwatched = cancelOnCancel.StartError(); unwatched != 0)
        return Broken(SystemReason(unwatched));
    if (::FlushFileBuffers(port.port))
        return true;
    const DWORD error = ::GetLastError();
    if (port.Cancelled() || error == ERROR_OPERATION_ABORTED)
        return Abandon();
    return Broken(SystemMessage(error));
}

void CComPort::Discard() {
    ::PurgeComm(m_impl->port, PURGE_TXABORT | PURGE_TXCLEAR);
}

void CComPort::Release() {
    Impl& port = *m_impl;
    if (port.port != INVALID_HANDLE_VALUE) {
        if (port.linesRaised) {
            ::EscapeCommFunction(port.port, CLRDTR);
            ::EscapeCommFunction(port.port, CLRRTS);
        }
        if (port.configured)
            ::SetCommState(port.port, &port.saved);
        ::CloseHandle(port.port);
        port.port = INVALID_HANDLE_VALUE;
    }
    for (HANDLE* event : {&port.readEvent, &port.writeEvent}) {
        if (*event != nullptr)
            ::CloseHandle(*event);
        *event = nullptr;
    }
    port.configured = port.linesRaised = false;
}

bool CComPort::Write(const char* data, std::size_t count, std::size_t* taken) {
    if (taken)
        *taken = 0;
    Impl& port = *m_impl;
    if (port.port == INVALID_HANDLE_VALUE)
        return Broken(SystemReason(EBADF));
    if (port.Cancelled())
        return Abandon();
    if (count == 0)
        return true;
    port.wrote = true;
    port.stall.Start();

    // With pacing, bytes go one at a time, each after the pause of the
    // last; without, a quarter second of line time at a time.
    const bool paced = port.pacing.Paced();
    for (std::size_t done = 0; done < count;) {
        std::size_t written = 0;
        const std::size_t chunk =
            paced ? 1 : std::min<std::size_t>(count - done, port.pacing.aheadLimit);
        if (!WriteSome(data + done, chunk, written))
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
    DWORD done = 0;
    bool cancelled = false;
    bool timedOut = false;
    if (!port.Run(false, const_cast<char*>(data), static_cast<DWORD>(count), done, cancelled,
                  timedOut))
        return cancelled ? Abandon() : Broken(port.error);
    if (done == 0)
        return Broken(SystemMessage(ERROR_WRITE_FAULT));
    port.stall.Moved();
    written = done;
    return true;
}

bool CComPort::WaitQueue(int above, int target) {
    Impl& port = *m_impl;
    for (DWORD before = MAXDWORD;;) {
        const DWORD queued = port.Queued();
        if (static_cast<long>(queued) <= above)
            return true;
        if (queued < before)
            port.stall.Moved();
        before = queued;
        above = target;
        const long ms = port.pacing.QueueWaitMs(static_cast<long>(queued) - target);
        DWORD failure = 0;
        const Wake wake = port.Pause(ms, failure);
        if (!GoOn(wake, static_cast<int>(failure)))
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
    DWORD failure = 0;
    return GoOn(port.Pause(ms, failure), static_cast<int>(failure));
}

bool CComPort::ReadByte(char* byte) {
    Impl& port = *m_impl;
    if (port.port == INVALID_HANDLE_VALUE)
        return Broken(SystemReason(EBADF));
    if (port.Cancelled())
        return Abandon();
    m_timedOut = false;
    const auto deadline =
        port.readTimeout.count() > 0 ? Clock::now() + port.readTimeout : Clock::time_point{};
    DWORD done = 0;
    bool cancelled = false;
    if (!port.Run(true, byte, 1, done, cancelled, m_timedOut, deadline))
        return cancelled ? Abandon() : Broken(port.error);
    if (done != 1)
        return Broken(std::string(LoadString(IDS_REASON_HUNG_UP)));
    port.stall.Moved();
    port.stall.Start();
    return true;
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
        return Broken(SystemMessage(static_cast<DWORD>(error)));
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
    if (m_impl->wrote && m_impl->port != INVALID_HANDLE_VALUE)
        Discard();
    return Broken(SystemReason(ECANCELED));
}

std::string DevicePath(const ComSettings& settings) {
    const std::size_t index = settings.COMPort < std::size(settings.Device) ? settings.COMPort : 0;
    if (!settings.Device[index].empty())
        return settings.Device[index];
    return "COM" + std::to_string(index + 1);
}

} // namespace tessel
