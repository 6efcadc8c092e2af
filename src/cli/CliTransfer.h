#pragma once

// A transfer of tessel-cli: the worker moves the bytes on its own thread
// while this thread waits for it; Ctrl-C cancels it; while standard error is
// a terminal, one updating line shows how far it has come, in the transfer
// dialog's own words.

#include "comm/TransferWorker.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel {
struct OpenProblem;
}

namespace tessel::cli {

class ConsoleOutput;

struct TransferOutcome {
    enum class End {
        Completed,   // a send's last byte has left, or a receive got the end code
        OpenFailed,  // the port could not be opened: nothing was transferred
        Interrupted, // stopped by SIGINT or SIGTERM
        LineFailed,  // a read or write failed (the other end went away), or the worker did
        TimedOut,    // a receive's time-out passed with no byte
    };
    End end = End::LineFailed;
    int signal = 0;     // Interrupted: the signal that stopped it
    std::string device; // the device the port stands for
    std::string reason; // OpenFailed and LineFailed: the system's reason, if known
    int openError = 0;  // OpenFailed: the system's error number, if known
};

// While an object lives, SIGINT and SIGTERM do not end the process: they
// cancel the transfer that RunTransfer is running (or the next one it
// starts) and are remembered. One object at a time.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // The signal caught so far, 0 for none.
    static int Caught();
};

// Runs one transfer of `buffer` (send) or into `buffer` (receive) to its end
// and says how it ended. The progress goes to `err` only when that is a
// terminal; its line is ended (with the completion text after a normal end)
// before this returns. A stalled line is reported on `err` in any case,
// once, and once more when it moves. Messages about the end are the
// caller's. A receive gives up after `receiveTimeout` without a byte (zero:
// never).
TransferOutcome RunTransfer(TransferWorker::Mode mode, const ComSettings& settings,
                            std::string& buffer, ConsoleOutput& err,
                            std::chrono::milliseconds receiveTimeout = {});

// The lines that say why a port would not open and what to do, in the
// desktop program's words (ExplainOpenProblem), each indented and ending in
// "\n"; "" when the system's reason says it all.
std::string OpenProblemAdvice(const OpenProblem& problem);

// The lines of the progress display between the ready text and the
// completion text: the count as the dialog shows it, and for a send the
// share of `total` sent and the time the rest takes, in minutes and seconds.
std::string ReceiveProgressText(unsigned count);
std::string SendProgressText(unsigned count, std::size_t total, std::uint64_t secondsLeft);

} // namespace tessel::cli
