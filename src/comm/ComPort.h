#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tessel {

class CancelSignal;
struct ComSettings;

// The serial line to the device: one exclusive open per transfer, bytes
// written and read one call at a time, every wait blocking (no polling loop)
// until the line or the cancel signal has something. Linux (termios,
// ComPort.cpp, all system calls through sys/SysCalls.h) and Windows (a COM
// device with overlapped I/O, ComPortWin32.cpp) behind the same class.
//
// A written byte counts as gone once it has left for the line, give or take
// a quarter second of line time: Write keeps the driver's output queue no
// longer than that, so a progress count follows the line and a cancel
// (which discards the queue) stops the device receiving at once.
class CComPort {
public:
    CComPort();
    ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // Opens the device that the settings map the chosen port to (see
    // DevicePath), exclusively, applies the line configuration and raises
    // DTR and RTS. `cancel` (may be null) ends any later wait with failure
    // and must outlive the open port; once raised, Open fails with
    // ECANCELED without touching the device. False with LastError() saying
    // why and nothing left acquired.
    [[nodiscard]] bool Open(const ComSettings& settings, const CancelSignal* cancel);
    // Lowers DTR and RTS, puts the port's own configuration back and
    // releases what Open acquired. When everything written so far went out
    // without a cancel or an error, it first waits until the last byte has
    // left the line; otherwise it discards what is still queued, and the
    // close does not wait for it. True when every byte written has left (or
    // none was written), false when some were discarded (LastError() says
    // why). Destroying an open port releases it the same way, but never
    // waits: what is still queued is discarded.
    //
    // A cancel ends each of its waits at once, the drain and the close
    // itself included: the system calls they block in are interrupted (see
    // sys::Interrupt), so the calling thread must not block SIGURG.
    bool Close();
    // Writes `count` bytes from `data`, pausing after each byte and line end
    // as the settings' pacing asks. True when they have gone; false on a
    // line error or a cancel, with LastError() saying why. `taken` (when
    // given) says how many of them the driver took, false or not: a cancel
    // in the pause after a byte, or in the wait for the queue, comes after
    // the byte has been taken.
    [[nodiscard]] bool Write(const char* data, std::size_t count, std::size_t* taken = nullptr);
    // Reads exactly one byte. True when it arrived; false on a line error, a
    // hang-up of the other end, a cancel, or no byte within the read time-out,
    // with LastError() saying why.
    [[nodiscard]] bool ReadByte(char* byte);

    // How long ReadByte waits for its byte before it gives up (TimedOut()
    // then says so); zero, the default, waits for ever. Any time.
    void SetReadTimeout(std::chrono::milliseconds timeout);
    // Calls `report(true)` once the line has not moved for `after`, and
    // `report(false)` when it moves again, on the thread that writes or
    // reads. Moving is a byte taken by the driver or leaving its output
    // queue (from the first Write on), or a byte read (from the first one
    // on); the pauses of pacing do not count. So it says when flow control
    // or a device that stopped reading holds a send, without asking the
    // modem lines (which a pseudo-terminal does not have), and when a
    // device stops half way through what it sends. Before Open.
    void WatchStalls(std::chrono::milliseconds after, std::function<void(bool stalled)> report);

    bool IsOpen() const;
    // The device path used by the last Open, and the system's reason for the
    // last failure (empty when none).
    const std::string& Device() const { return m_device; }
    const std::string& LastError() const { return m_lastError; }
    // The system's error number of the last failed Open (0 when it opened).
    int OpenError() const { return m_openError; }
    // Whether the last ReadByte ended because its time was up.
    bool TimedOut() const { return m_timedOut; }

private:
    struct Impl;     // saved configuration, what Open acquired, pacing, cancel
    enum class Wake; // how a wait ended

    bool FailOpen(int error);
    void Release();
    // Waits until the adapter has sent the last byte; ends on a cancel.
    bool Drain();
    // Throws away what is still queued, and the close's wait for it.
    void Discard();
    // Each returns true to go on, false when the operation ends in failure
    // (Broken and Abandon always end it).
    bool WriteSome(const char* data, std::size_t count, std::size_t& written);
    bool WaitQueue(int above, int target);
    bool PaceAfter(char byte);
    bool Broken(std::string reason);
    bool Abandon();
    // After a wait: true to go on (the line is ready, or the time is up),
    // else the operation ends as the wait did (cancelled, or failed with
    // `error`).
    bool GoOn(Wake wake, int error);

    std::unique_ptr<Impl> m_impl;
    int m_fd = -1; // Linux: the terminal (Windows keeps its handles in Impl)
    std::string m_device;
    std::string m_lastError;
    int m_openError = 0;
    bool m_timedOut = false;
};

// The device a port index stands for on this machine: "COMPORT"/"Device<n>"
// when the settings have it, else /dev/ttyUSB<n-1> on Linux and COM<n> on
// Windows (where Open reaches any COM<number> as \\.\COM<number>, so that
// COM10 and above work too).
std::string DevicePath(const ComSettings& settings);

} // namespace tessel
