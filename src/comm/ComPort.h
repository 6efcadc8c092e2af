#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tessel {

class CancelSignal;
struct ComSettings;

// The serial line to the device: one exclusive open per transfer, bytes
// written and read one call at a time, every wait blocking (no polling loop)
// until the line or the cancel signal has something. Linux (termios) for
// now; a Win32 version can sit beside it behind the same class. All system
// calls go through sys/SysCalls.h.
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
    // and must outlive the open port. Returns 1, or 0 with LastError()
    // saying why and nothing left acquired.
    int Open(const ComSettings& settings, const CancelSignal* cancel);
    // Lowers DTR and RTS, puts the port's own configuration back and
    // releases what Open acquired. When everything written so far went out
    // without a cancel or an error, it first waits (cancellably) until the
    // last byte has left the line; otherwise it discards what is still
    // queued. True when every byte written has left (or none was written),
    // false when some were discarded.
    bool Close();
    // Writes `count` bytes from `data`, pausing after each byte and line end
    // as the settings' pacing asks. 1 when they have gone, 0 on a line
    // error or a cancel.
    int Write(const char* data, std::size_t count);
    // Reads exactly one byte. 1 when it arrived, 0 on a line error, a
    // hang-up of the other end, or a cancel.
    int ReadByte(char* byte);

    bool IsOpen() const { return m_fd >= 0; }
    // The device path used by the last Open, and the system's reason for the
    // last failure (empty when none).
    const std::string& Device() const { return m_device; }
    const std::string& LastError() const { return m_lastError; }

private:
    struct Impl;     // saved configuration, what Open acquired, pacing, cancel
    enum class Wake; // how a wait ended

    int FailOpen(int error);
    void Release();
    // Each returns 1 to go on, 0 when the operation ends in failure.
    int WriteSome(const char* data, std::size_t count, std::size_t& written);
    int WaitQueue(int above, int target);
    int PaceAfter(char byte);
    int Broken(std::string reason);
    int Abandon();
    // After a wait: 1 to go on (the line is ready, or the time is up), else
    // the operation ends as the wait did (cancelled, or failed with `error`).
    int GoOn(Wake wake, int error);

    std::unique_ptr<Impl> m_impl;
    int m_fd = -1;
    std::string m_device;
    std::string m_lastError;
};

// The device a port index stands for on this machine: "COMPORT"/"Device<n>"
// when the settings have it, else /dev/ttyUSB<n-1>.
std::string DevicePath(const ComSettings& settings);

} // namespace tessel
