#pragma once

// The device under the serial port (ComPort.h) as one system reaches it: its
// own calls and nothing more. Opening and configuring the device, handing
// bytes to the driver and taking them, the driver's output queue, the drain
// and the close; every wait as LineWait says. What the port makes of these
// (the open as a whole, pacing, how long the queue may grow, what a close
// delivers, what a failure discards) is the port's, the same on every
// system. Linux: a terminal, every call through sys/SysCalls.h
// (PortDevicePosix.cpp); Windows: a COM device with overlapped I/O
// (PortDeviceWin32.cpp).
//
// A call that fails says why in a Problem of IDS_TRANSFER_FAILED (Open's:
// IDS_PORT_OPEN_FAILED) with the system's error number, and on Windows its
// own words for it: ECANCELED when the cancel signal ended the call,
// ETIMEDOUT when a read's deadline passed (the system gives neither for a
// serial line). A read that finds the other end gone says IDS_REASON_HUNG_UP
// and no more: the system has no number for that.

#include "comm/LineWait.h"
#include "res/Problem.h"

#include <cstddef>
#include <memory>
#include <string>

namespace tessel {

struct LineConfiguration;

// The problems above.
Problem OpenFailure(int error, std::string systemText = {});
Problem LineFailure(int error, std::string systemText = {});
Problem HungUp();
// What a wait that moved nothing leaves: the problem of a cancel, or the
// wait's own `failure` when it failed; none when the line is ready or the
// time is up.
Problem WaitProblem(Wake wake, Problem failure);

class PortDevice {
public:
    // `wait` (the port's) must outlive the device.
    explicit PortDevice(LineWait& wait);
    // Releases the device.
    ~PortDevice();
    PortDevice(const PortDevice&) = delete;
    PortDevice& operator=(const PortDevice&) = delete;

    bool IsOpen() const;
    // Opens `path` for this program alone, puts `config` on the line
    // (keeping the configuration found, for Release), raises DTR and RTS and
    // drops output some earlier program left queued; bytes that already
    // arrived stay to be read. On failure nothing acquired is kept.
    Problem Open(const std::string& path, const LineConfiguration& config);
    // Lowers DTR and RTS, puts back the configuration found and lets go of
    // the device: exactly what Open acquired, and the close watch.
    void Release();

    // Hands the driver at most `count` bytes (at least one), waiting until
    // it takes some; `written` then says how many it took.
    Problem Write(const char* data, std::size_t count, std::size_t& written);
    // Reads one byte, waiting for it until `deadline` (for ever when it is
    // the clock's epoch).
    Problem Read(char& byte, LineWait::Clock::time_point deadline);
    // Bytes waiting in the driver's output queue; 0 when it does not say (a
    // pseudo-terminal).
    long Queued() const;
    // Waits `ms` milliseconds, unless cancelled first.
    Problem Pause(long ms);
    // Waits until the adapter has sent the last byte the queue had left to
    // it, which flow control may hold for as long as it likes.
    Problem Drain();
    // Throws away what is still queued, and any wait for it at close.
    void Discard();
    // From now until Release, a cancel ends the calls of the close that wait
    // inside the system (Linux: the drain and the close itself, which are
    // interrupted; Windows' drain watches the cancel itself, and its close
    // never waits). A failure says that nothing could end them.
    Problem WatchClose();

private:
    struct System; // the system's handles, and what Open acquired

    LineWait& m_wait;
    std::unique_ptr<System> m_system;
};

} // namespace tessel
