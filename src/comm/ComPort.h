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
// now; a Win32 version can sit beside it behind the same class.
class CComPort {
public:
    CComPort();
    ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // Opens the device that the settings map the chosen port to (see
    // DevicePath), exclusively, applies the line configuration and raises
    // DTR and RTS. `cancel` (may be null) ends any later wait with failure.
    // Returns 1, or 0 with LastError() saying why.
    int Open(const ComSettings& settings, const CancelSignal* cancel);
    // Lowers DTR and RTS, puts the port's own configuration back and
    // releases what Open acquired. After a send that was not cancelled it
    // first waits (cancellably) until the last byte has left the line.
    void Close();
    // Writes `count` bytes from `data`. 1 when they have gone, 0 on a line
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
    struct Impl; // saved configuration, lock, pacing, cancel
    std::unique_ptr<Impl> m_impl;
    int m_fd = -1;
    std::string m_device;
    std::string m_lastError;
};

// The device a port index stands for on this machine: "COMPORT"/"Device<n>"
// when the settings have it, else /dev/ttyUSB<n-1>.
std::string DevicePath(const ComSettings& settings);

} // namespace tessel
