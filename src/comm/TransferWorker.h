#pragma once

#include "comm/CancelSignal.h"
#include "res/Problem.h"
#include "settings/ComSettings.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <thread>

namespace tessel {

class ComPort;

// How a transfer ended: the last report of its worker.
struct TransferEnd {
    enum class Outcome {
        Completed,  // a send's last byte has left the line, or a receive got the end code
        OpenFailed, // the port could not be opened (it has been closed again): nothing moved
        LineFailed, // a read or write failed: a line error, or the other end went away
        Cancelled,  // stopped by Cancel(); before the port opened, it was never opened
        Faulted,    // the worker itself failed part way (out of memory, say)
        TimedOut,   // a receive's time-out passed without a byte
    };
    Outcome outcome = Outcome::Faulted;
    unsigned captionId = 0; // IDS_CAPTION_SEND ("送信") or IDS_CAPTION_RECEIVE ("受信")
    std::string device;     // the device the port stands for
    // Why it did not complete (none when it did): the port's problem (see
    // ComPort.h), whose system error number tells what to do about a port
    // that would not open; or, when the worker itself failed, what it knows
    // of that.
    Problem problem;

    // Why it did not complete, in the words the programs show after the
    // device: the system's reason, else the port's own (the other end hung
    // up); empty when it completed.
    std::string Reason() const;
    std::size_t bytes = 0; // bytes written to the line (send) or received, however it ended
};

// How long the line stands still before the observer hears of it.
inline constexpr std::chrono::seconds kStallReportAfter{2};

// What a transfer tells whoever watches it. Every call comes from the
// worker's thread; a window toolkit forwards them to its own thread.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    // Bytes sent before the current one (send), or received so far (receive).
    virtual void OnProgress(unsigned count) = 0;
    // The line has not moved for kStallReportAfter (true): a send could
    // write no byte, or a receive had bytes and then none; and it moves
    // again (false). Once each way, however long it stands.
    virtual void OnStall(bool /*stalled*/) {}
    // The last call of every transfer that started, however it ended:
    // Completed() already says whether it completed, and the worker touches
    // neither the buffer nor the observer after it. An exception thrown
    // from here goes no further; the report is then still to be had from
    // the worker's EndReport().
    virtual void OnEnded(const TransferEnd& end) = 0;
};

// One transfer on a thread of its own: a send writes the buffer byte by byte
// up to and including the first end-of-text code; a receive appends bytes to
// the buffer up to and including the end-of-text code. The buffer and the
// observer must outlive the worker; destroying the worker cancels a transfer
// that has not completed and waits for its thread to end.
class TransferWorker {
public:
    enum class Mode { Send, Receive };

    TransferWorker(Mode mode, const ComSettings& settings, std::string& buffer,
                   TransferObserver& observer);
    ~TransferWorker();
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Starts the transfer on its own thread; once only. False when the
    // system would not make a thread (or it was started before): then no
    // observer call will come. Otherwise OnEnded will, whatever happens.
    bool Start();
    // A receive gives up once no byte has come for `timeout` (zero, the
    // default: it waits for ever), and ends as TimedOut keeping what came.
    // Before Start.
    void SetReceiveTimeout(std::chrono::milliseconds timeout) { m_receiveTimeout = timeout; }
    // Asks a running transfer to stop at once; does nothing once it has ended.
    // Async-signal-safe, so a Ctrl-C handler may call it.
    void Cancel() noexcept { m_cancel.Raise(); }
    // Waits until the worker's thread has ended. Not from the worker's own
    // thread (an observer call).
    void Join();
    // Set by the worker before OnEnded when the transfer completed; false
    // after an open failure, a failed or cancelled transfer.
    bool Completed() const { return m_completed.load(std::memory_order_acquire); }
    // True once the worker's thread has made its last observer call and
    // touches neither the buffer nor the observer any more (also before
    // Start, and when Start failed). Join() then returns at once.
    bool Ended() const { return !m_running.load(std::memory_order_acquire); }
    // The report OnEnded was given; read it once Ended() says so (before,
    // and when Start failed, an empty report). For whoever may have missed
    // it: an observer that threw, a waiter that watches Ended().
    const TransferEnd& EndReport() const { return m_end; }

private:
    void Run();
    // Opens the port, moves the bytes, closes the port and says how that
    // ended in `end`, whose outcome is at each moment the one an exception
    // from there would mean (OpenFailed, then Faulted).
    void Transfer(TransferEnd& end);
    // The transfer on an open port; no problem when it ended normally.
    // `moved` counts the bytes as they go.
    Problem RunSend(ComPort& port, std::size_t& moved);
    Problem RunReceive(ComPort& port, std::size_t& moved);

    const Mode m_mode;
    const ComSettings m_settings; // a copy: a transfer never sees later changes
    std::string& m_buffer;
    TransferObserver& m_observer;
    CancelSignal m_cancel;
    std::atomic<bool> m_completed{false};
    std::atomic<bool> m_running{false};
    bool m_started = false;
    std::chrono::milliseconds m_receiveTimeout{0};
    TransferEnd m_end; // written by the worker's thread before it ends
    std::thread m_thread;
};

// What a transfer is shown as, alike in the dialog and on tessel-cli's
// progress line: the count right-aligned in five places, a space and
// "バイト送信済み" or "バイト受信済み" ("  100 バイト送信済み"); the
// completion text.
std::string TransferCountText(TransferWorker::Mode mode, unsigned count);
std::string_view CompletionText(TransferWorker::Mode mode);

} // namespace tessel
