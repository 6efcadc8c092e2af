#pragma once

#include "res/Problem.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace tessel {

class CancelSignal;
struct ComSettings;

// The serial line to the device: one exclusive open per transfer, bytes
// written and read one call at a time, every wait blocking (no polling loop)
// until the line or the cancel signal has something. The rules are here, the
// same on every system (ComPort.cpp); each system's calls are in its
// PortDevice (PortDevice.h): a terminal on Linux, a COM device with
// overlapped I/O on Windows.
//
// A written byte counts as gone once it has left for the line, give or take
// a quarter second of line time: Write keeps the driver's output queue no
// longer than that, so a progress count follows the line and a cancel
// (which discards the queue) stops the device receiving at once.
//
// Each operation says why it failed in a Problem (empty when it did not),
// for its caller to put into words: IDS_PORT_OPEN_FAILED for Open, else
// IDS_TRANSFER_FAILED, with the system's error number and, where the string
// table may have no words for it, the system's own. ECANCELED says the
// cancel signal ended it, ETIMEDOUT that ReadByte's time was up, EBUSY that
// another program holds the port. When the other end hung up, the problem
// is IDS_REASON_HUNG_UP alone: the system has no number for that.
class ComPort {
public:
    ComPort();
    ~ComPort();
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;

    // Opens the device that the settings map the chosen port to (see
    // DevicePath), exclusively, applies the line configuration and raises
    // DTR and RTS. `cancel` (may be null) ends any later wait with failure
    // and must outlive the open port; once raised, Open fails with
    // ECANCELED without touching the device. On failure nothing is left
    // acquired.
    [[nodiscard]] Problem Open(const ComSettings& settings, const CancelSignal* cancel);
    // Lowers DTR and RTS, puts the port's own configuration back and
    // releases what Open acquired. When everything written so far went out
    // without a cancel or an error, it first waits until the last byte has
    // left the line; otherwise it discards what is still queued, and the
    // close does not wait for it. No problem when every byte written has
    // left (or none was written); else the one that kept some from leaving:
    // the write's that broke the output off, or the drain's. Destroying an
    // open port releases it the same way, but never waits: what is still
    // queued is discarded.
    //
    // A cancel ends each of its waits at once, the drain and the close
    // itself included: the system calls they block in are interrupted (see
    // sys::Interrupt), so the calling thread must not block SIGURG.
    Problem Close();
    // Writes `count` bytes from `data`, pausing after each byte and line end
    // as the settings' pacing asks; fails on a line error or a cancel.
    // `taken` (when given) says how many of them the driver took, failed or
    // not: a cancel in the pause after a byte, or in the wait for the queue,
    // comes after the byte has been taken.
    [[nodiscard]] Problem Write(const char* data, std::size_t count, std::size_t* taken = nullptr);
    // Reads exactly one byte; fails on a line error, a hang-up of the other
    // end, a cancel, or no byte within the read time-out.
    [[nodiscard]] Problem ReadByte(char* byte);

    // How long ReadByte waits for its byte before it gives up with
    // ETIMEDOUT; zero, the default, waits for ever. Any time.
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
    // The device path used by the last Open.
    const std::string& Device() const { return m_path; }

private:
    struct Impl; // the device, its waits, pacing, and how the output fares

    // Where a failure leaves the port: the output broken off when bytes were
    // written, and after a cancel what is still queued discarded. Gives back
    // `problem` (none: nothing happens).
    Problem Fail(Problem problem);
    // Waits while the driver's queue holds more than `above` bytes, until it
    // holds no more than `target`.
    Problem WaitQueue(long above, long target);
    Problem PaceAfter(char byte);

    std::unique_ptr<Impl> m_impl;
    std::string m_path;
};

// The device a port index stands for on this machine: "COMPORT"/"Device<n>"
// when the settings have it, else /dev/ttyUSB<n-1> on Linux and COM<n> on
// Windows (where Open reaches any COM<number> as \\.\COM<number>, so that
// COM10 and above work too).
std::string DevicePath(const ComSettings& settings);

} // namespace tessel
