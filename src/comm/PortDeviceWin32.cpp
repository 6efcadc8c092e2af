// The serial device on Windows: a COM device opened for overlapped I/O, each
// wait on the operation's event and the cancel signal's event together, so
// that a cancel ends it at once (CancelIoEx).

#include "comm/PortDevice.h"

#include "comm/CancelSignal.h"
#include "comm/DcbConfig.h"
#include "comm/PortDiscovery.h"
#include "res/StringTable.h"
#include "sys/SysCalls.h"
#include "sys/Win32.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

namespace tessel {
namespace {

using Clock = LineWait::Clock;

// A failure of a transfer as Win32 numbers it, with the system's own words
// where the string table has none.
Problem Win32Failure(DWORD error) {
    return LineFailure(sys::win32::ErrnoFrom(error), sys::win32::SystemMessage(error));
}

// A failure after the device opened, however the system numbers it, is no
// reason to tell the user that the port is missing or in use: EIO, with the
// reason in words as a failure to open would have it.
Problem ConfigurationFailure(std::string reason) {
    return OpenFailure(EIO, std::move(reason));
}

Problem ConfigurationFailure(DWORD error) {
    return ConfigurationFailure(
        SystemReason(sys::win32::ErrnoFrom(error), sys::win32::SystemMessage(error)));
}

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
            const DWORD wake =
                cancelEvent != nullptr
                    ? ::WaitForMultipleObjects(2, both, FALSE, INFINITE)
                    : ::WaitForSingleObject(self.m_done.get(), LineWait::kFlagCheckMs);
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

struct PortDevice::System {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE readEvent = nullptr;
    HANDLE writeEvent = nullptr;
    DCB saved{};
    bool configured = false;
    bool linesRaised = false;

    // Waits until `event` (when not null) is set, the cancel signal is
    // raised, or `timeoutMs` (-1: no limit) has passed, as `wait` rules.
    // `failure` gets the problem of a failed wait.
    static Wake Wait(LineWait& wait, HANDLE event, int timeoutMs, Problem& failure) {
        return wait.Run(timeoutMs, [&](int ms) {
            HANDLE handles[2];
            DWORD count = 0;
            if (event != nullptr)
                handles[count++] = event;
            if (wait.cancel != nullptr && wait.cancel->CanWake())
                handles[count++] = static_cast<HANDLE>(wait.cancel->Event());
            const DWORD timeout = ms < 0 ? INFINITE : static_cast<DWORD>(ms);
            const DWORD result = count == 0
                                     ? (::Sleep(timeout), WAIT_TIMEOUT)
                                     : ::WaitForMultipleObjects(count, handles, FALSE, timeout);
            if (result == WAIT_FAILED) {
                failure = Win32Failure(::GetLastError());
                return Wake::Failed;
            }
            // The cancel signal's event is seen by Run.
            return event != nullptr && result == WAIT_OBJECT_0 ? Wake::Ready : Wake::TimedOut;
        });
    }

    // Runs one overlapped read or write to its end, or until `deadline`
    // (none when it is the clock's epoch): `done` bytes, or the problem of an
    // error, a cancel or the deadline. An operation ended early is taken
    // back (CancelIoEx) before this returns, unless it completed first: then
    // its bytes count.
    Problem Run(LineWait& wait, bool reading, void* data, DWORD count, DWORD& done,
                Clock::time_point deadline = {}) const {
        OVERLAPPED block{};
        block.hEvent = reading ? readEvent : writeEvent;
        ::ResetEvent(block.hEvent);
        done = 0;
        const BOOL started = reading ? ::ReadFile(port, data, count, nullptr, &block)
                                     : ::WriteFile(port, data, count, nullptr, &block);
        if (!started && ::GetLastError() != ERROR_IO_PENDING)
            return Win32Failure(::GetLastError());
        Problem failure;
        bool timedOut = false;
        Wake wake = started ? Wake::Ready : Wake::TimedOut;
        while (wake == Wake::TimedOut) {
            int timeoutMs = -1;
            if (deadline != Clock::time_point{}) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0) {
                    timedOut = true;
                    break;
                }
                timeoutMs = static_cast<int>(std::min<long long>(left, INT_MAX));
            }
            wake = Wait(wait, block.hEvent, timeoutMs, failure);
        }
        if (wake != Wake::Ready)
            ::CancelIoEx(port, &block);
        if (::GetOverlappedResult(port, &block, &done, TRUE))
            return {};
        const DWORD result = ::GetLastError();
        if (timedOut)
            return LineFailure(ETIMEDOUT);
        if (wake == Wake::Cancelled || result == ERROR_OPERATION_ABORTED)
            return LineFailure(ECANCELED);
        if (wake == Wake::Failed)
            return failure;
        return Win32Failure(result);
    }
};

PortDevice::PortDevice(LineWait& wait) : m_wait(wait), m_system(std::make_unique<System>()) {}

PortDevice::~PortDevice() {
    Release();
}

bool PortDevice::IsOpen() const {
    return m_system->port != INVALID_HANDLE_VALUE;
}

Problem PortDevice::Open(const std::string& path, const LineConfiguration& config) {
    Release();
    System& port = *m_system;
    // No sharing: the system refuses a port that another program holds.
    port.port = ::CreateFileW(DeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port.port == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            return OpenFailure(EBUSY);
        return OpenFailure(sys::win32::ErrnoFrom(error), sys::win32::SystemMessage(error));
    }
    const auto fail = [this](Problem problem) {
        Release();
        return problem;
    };
    ::SetupComm(port.port, kQueueSize, kQueueSize);
    port.saved.DCBlength = sizeof(DCB);
    if (!::GetCommState(port.port, &port.saved))
        return fail(ConfigurationFailure(::GetLastError()));
    DCB dcb = port.saved;
    if (!ApplyLineConfig(config, dcb))
        return fail(ConfigurationFailure(SystemReason(EINVAL)));
    if (!::SetCommState(port.port, &dcb))
        return fail(ConfigurationFailure(::GetLastError()));
    port.configured = true;
    // No time-outs: a read waits until its byte has come, a write until its
    // bytes have gone; a cancel ends either.
    COMMTIMEOUTS timeouts{};
    ::SetCommTimeouts(port.port, &timeouts);

    port.readEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port.writeEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (port.readEvent == nullptr || port.writeEvent == nullptr)
        return fail(ConfigurationFailure(::GetLastError()));

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
    return {};
}

void PortDevice::Release() {
    System& port = *m_system;
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

Problem PortDevice::Write(const char* data, std::size_t count, std::size_t& written) {
    DWORD done = 0;
    if (Problem problem =
            m_system->Run(m_wait, false, const_cast<char*>(data), static_cast<DWORD>(count), done))
        return problem;
    if (done == 0)
        return Win32Failure(ERROR_WRITE_FAULT);
    written = done;
    return {};
}

Problem PortDevice::Read(char& byte, Clock::time_point deadline) {
    DWORD done = 0;
    if (Problem problem = m_system->Run(m_wait, true, &byte, 1, done, deadline))
        return problem;
    return done == 1 ? Problem{} : HungUp();
}

long PortDevice::Queued() const {
    COMSTAT status{};
    DWORD errors = 0;
    return ::ClearCommError(m_system->port, &errors, &status) ? static_cast<long>(status.cbOutQue)
                                                              : 0;
}

Problem PortDevice::Pause(long ms) {
    Problem failure;
    const Wake wake = m_wait.Pause(
        ms, [&](int timeoutMs) { return System::Wait(m_wait, nullptr, timeoutMs, failure); });
    return WaitProblem(wake, std::move(failure));
}

Problem PortDevice::Drain() {
    if (m_wait.Cancelled())
        return LineFailure(ECANCELED);
    // The queue is empty; the adapter may still hold bytes that flow control
    // keeps from the line. FlushFileBuffers waits for them; a cancel ends it.
    const CancelSyncOnCancel cancelOnCancel(m_wait.cancel);
    // A wait that nothing could end on a cancel is not begun: the send
    // fails as on a line error, with the system's reason.
    if (const int unwatched = cancelOnCancel.StartError(); unwatched != 0)
        return LineFailure(unwatched);
    if (::FlushFileBuffers(m_system->port))
        return {};
    const DWORD error = ::GetLastError();
    if (m_wait.Cancelled() || error == ERROR_OPERATION_ABORTED)
        return LineFailure(ECANCELED);
    return Win32Failure(error);
}

void PortDevice::Discard() {
    ::PurgeComm(m_system->port, PURGE_TXABORT | PURGE_TXCLEAR);
}

Problem PortDevice::WatchClose() {
    // The drain watches for the cancel itself (only while it runs: the
    // calls of the release must not be cancelled), and a close never waits.
    return {};
}

} // namespace tessel
