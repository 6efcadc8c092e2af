#include "comm/ComPort.h"

#include "comm/LinePacing.h"
#include "comm/LineWait.h"
#include "comm/PortDevice.h"
#include "settings/ComSettings.h"
#include "sys/Platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>

namespace tessel {

struct ComPort::Impl {
    LineWait wait; // the cancel signal and the stall watch (see WatchStalls)
    PortDevice device{wait};
    LinePacing pacing;
    std::chrono::milliseconds readTimeout{0};

    bool wrote = false; // bytes were handed to the driver
    Problem broken;     // what broke the output off, once bytes were written

    // A fresh start for an open, but for what was set for every open.
    void Restart(const CancelSignal* cancel, const LinePacing& linePacing) {
        wait.cancel = cancel;
        wait.stall.Reset();
        pacing = linePacing;
        wrote = false;
        broken = {};
    }
};

ComPort::ComPort() : m_impl(std::make_unique<Impl>()) {}

ComPort::~ComPort() {
    // Only Close waits for the output to leave the line. A port destroyed
    // while open was left behind by an error its owner did not expect: what
    // is still queued no longer goes to the device.
    PortDevice& device = m_impl->device;
    if (device.IsOpen() && m_impl->wrote) {
        // Without its watch the close waits as long as the driver's own wait
        // at close allows, unless Discard could turn that off.
        (void)device.WatchClose();
        device.Discard();
    }
    device.Release();
}

Problem ComPort::Open(const ComSettings& settings, const CancelSignal* cancel) {
    (void)Close();
    m_path = DevicePath(settings);
    Impl& port = *m_impl;
    port.Restart(cancel, LinePacing::For(settings));
    // Stopped before it began: the device is left as it is.
    if (port.wait.Cancelled())
        return OpenFailure(ECANCELED);
    return port.device.Open(m_path, settings.LineConfig);
}

bool ComPort::IsOpen() const {
    return m_impl->device.IsOpen();
}

Problem ComPort::Close() {
    Impl& port = *m_impl;
    if (!port.device.IsOpen())
        return {};
    if (!port.wrote) {
        port.device.Release();
        return {};
    }
    // From here on a cancel ends every wait: the one for the output queue
    // watches the cancel signal, the close watch ends those in the system.
    // A drain that nothing could end on a cancel is not begun: the send
    // fails as on a line error, and what is still queued is discarded.
    // Closing or restoring the configuration while bytes still wait would
    // cut off the end of the text.
    Problem problem = port.broken;
    if (problem.Ok())
        problem = Fail(port.device.WatchClose());
    if (problem.Ok())
        problem = WaitQueue(0, 0);
    if (problem.Ok())
        problem = Fail(port.device.Drain());
    if (!problem.Ok())
        port.device.Discard();
    port.device.Release();
    return problem;
}

Problem ComPort::Write(const char* data, std::size_t count, std::size_t* taken) {
    if (taken)
        *taken = 0;
    Impl& port = *m_impl;
    if (!port.device.IsOpen())
        return Fail(LineFailure(EBADF));
    if (port.wait.Cancelled())
        return Fail(LineFailure(ECANCELED));
    if (count == 0)
        return {};
    port.wrote = true;
    port.wait.stall.Start();

    // With pacing, bytes go one at a time, each after the pause of the
    // last. Without, a quarter second of line time at a time: the driver
    // is never handed more than the queue may hold, whatever it would take.
    const bool paced = port.pacing.Paced();
    const auto ahead = static_cast<long>(port.pacing.aheadLimit);
    for (std::size_t done = 0; done < count;) {
        const std::size_t chunk =
            paced ? 1 : std::min(count - done, static_cast<std::size_t>(ahead));
        std::size_t written = 0;
        if (Problem problem = port.device.Write(data + done, chunk, written))
            return Fail(std::move(problem));
        if (taken)
            *taken = done + written;
        port.wait.stall.Moved();
        if (paced)
            if (Problem problem = PaceAfter(data[done]))
                return problem;
        done += written;
        if (Problem problem = WaitQueue(ahead, ahead / 2))
            return problem;
    }
    return {};
}

Problem ComPort::WaitQueue(long above, long target) {
    Impl& port = *m_impl;
    for (long before = LONG_MAX;;) {
        const long queued = port.device.Queued();
        if (queued <= above)
            return {};
        if (queued < before)
            port.wait.stall.Moved();
        before = queued;
        above = target;
        if (Problem problem = port.device.Pause(port.pacing.QueueWaitMs(queued - target)))
            return Fail(std::move(problem));
    }
}

Problem ComPort::PaceAfter(char byte) {
    Impl& port = *m_impl;
    const unsigned ms = port.pacing.PauseAfter(byte);
    if (ms == 0)
        return {};
    // The pause is for the device: it starts once the byte has left, and a
    // pause of our own is no stall.
    if (Problem problem = WaitQueue(0, 0))
        return problem;
    port.wait.stall.PauseFor(std::chrono::milliseconds(ms));
    return Fail(port.device.Pause(ms));
}

Problem ComPort::ReadByte(char* byte) {
    Impl& port = *m_impl;
    if (!port.device.IsOpen())
        return Fail(LineFailure(EBADF));
    if (port.wait.Cancelled())
        return Fail(LineFailure(ECANCELED));
    const auto deadline = port.readTimeout.count() > 0 ? LineWait::Clock::now() + port.readTimeout
                                                       : LineWait::Clock::time_point{};
    if (Problem problem = port.device.Read(*byte, deadline))
        return Fail(std::move(problem));
    port.wait.stall.Moved();
    port.wait.stall.Start();
    return {};
}

void ComPort::SetReadTimeout(std::chrono::milliseconds timeout) {
    m_impl->readTimeout = std::max(timeout, std::chrono::milliseconds(0));
}

void ComPort::WatchStalls(std::chrono::milliseconds after,
                          std::function<void(bool stalled)> report) {
    m_impl->wait.stall.Set(after, std::move(report));
}

Problem ComPort::Fail(Problem problem) {
    Impl& port = *m_impl;
    if (problem.Ok() || !port.wrote)
        return problem;
    // After a cancel, what is still queued would reach the device after the
    // user stopped the transfer.
    if (problem.systemError == ECANCELED && port.device.IsOpen())
        port.device.Discard();
    port.broken = problem;
    return problem;
}

std::string DevicePath(const ComSettings& settings) {
    const std::size_t index = settings.COMPort < std::size(settings.Device) ? settings.COMPort : 0;
    if (!settings.Device[index].empty())
        return settings.Device[index];
    return sys::kWindows ? "COM" + std::to_string(index + 1)
                         : "/dev/ttyUSB" + std::to_string(index);
}

} // namespace tessel
