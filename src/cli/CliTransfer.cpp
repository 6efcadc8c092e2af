#include "cli/CliTransfer.h"

#include "cli/CliCommands.h"
#include "comm/ComPort.h"
#include "comm/PortDiscovery.h"
#include "comm/SendEstimate.h"
#include "res/StringTable.h"
#include "sys/Platform.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace tessel::cli {
namespace {

// Moves the cursor back to the start of the line / erases the rest of it.
constexpr const char kLineStart[] = "\r";
constexpr const char kEraseToEnd[] = "\x1b[K";

// Shared with the signal handler, which may only touch lock-free atomics.
std::atomic<TransferWorker*> g_worker{nullptr};
std::atomic<int> g_caught{0};
static_assert(std::atomic<TransferWorker*>::is_always_lock_free &&
              std::atomic<int>::is_always_lock_free);

void OnInterrupt(int signal) {
    g_caught.store(signal);
    if (TransferWorker* worker = g_worker.load())
        worker->Cancel();
}

// Makes `worker` the one a signal cancels while the object lives, and
// cancels it at once when a signal came before.
class CancelOnSignal {
public:
    explicit CancelOnSignal(TransferWorker& worker) {
        g_worker.store(&worker);
        if (g_caught.load() != 0)
            worker.Cancel();
    }
    ~CancelOnSignal() { g_worker.store(nullptr); }
    CancelOnSignal(const CancelOnSignal&) = delete;
    CancelOnSignal& operator=(const CancelOnSignal&) = delete;
};

// The worker's thread takes none of the signals, so that they interrupt no
// system call of the transfer; they all come to the waiting thread.
bool StartWithSignalsBlocked(TransferWorker& worker) {
    return sys::StartWithoutInterrupts(
        [](void* context) { return static_cast<TransferWorker*>(context)->Start(); }, &worker);
}

// The progress line on standard error, written by the worker's thread while
// the transfer runs and by the waiting thread after it has ended.
class ProgressLine final : public TransferObserver {
public:
    ProgressLine(TransferWorker::Mode mode, const ComSettings& settings, const std::string& buffer,
                 ConsoleOutput& err, std::chrono::milliseconds receiveTimeout)
        : m_mode(mode), m_device(DevicePath(settings)), m_err(err), m_shown(err.IsTerminal()),
          m_receiveTimeout(receiveTimeout) {
        if (mode == TransferWorker::Mode::Send && m_shown)
            m_estimate = SendEstimate(settings, buffer);
    }

    void OnProgress(unsigned count) override {
        if (!m_shown)
            return;
        if (m_mode == TransferWorker::Mode::Receive) {
            Show(ReceiveProgressText(count));
            return;
        }
        const auto ms = static_cast<std::uint64_t>(m_estimate.Remaining(count).count());
        Show(SendProgressText(count, m_estimate.Total(), (ms + 999) / 1000));
    }
    void OnEnded(const TransferEnd& end) override { m_end = end; }
    void OnStall(bool stalled) override {
        // A receive that gives up by then says so itself: "still waiting"
        // would be the opposite of what happens next.
        if (m_mode == TransferWorker::Mode::Receive && m_receiveTimeout.count() > 0 &&
            m_receiveTimeout <= kStallReportAfter)
            return;
        // On a line of its own; the count goes on below it.
        if (m_open)
            m_err.Write("\n");
        m_open = false;
        const auto seconds = std::to_string(kStallReportAfter.count());
        const unsigned id = !stalled                               ? IDS_CLI_LINE_MOVES
                            : m_mode == TransferWorker::Mode::Send ? IDS_CLI_SEND_STALLED
                            : m_receiveTimeout.count() > 0         ? IDS_CLI_RECEIVE_WAITING_TIMEOUT
                                                                   : IDS_CLI_RECEIVE_WAITING;
        m_err.Write(m_device + ": " + LoadFormatted(id, {seconds}) + "\n");
    }

    void Show(const std::string& text) {
        if (!m_shown)
            return;
        m_err.Write(kLineStart + text + kEraseToEnd);
        m_open = true;
    }
    // Ends the line, after `text` in its place when that is not empty.
    void Finish(const std::string& text) {
        if (!m_shown)
            return;
        if (!text.empty())
            m_err.Write(kLineStart + text + kEraseToEnd + "\n");
        else if (m_open)
            m_err.Write("\n");
        m_open = false;
    }
    // Takes the line away: nothing it said holds any more.
    void Erase() {
        if (m_open)
            m_err.Write(std::string(kLineStart) + kEraseToEnd);
        m_open = false;
    }

    // The worker's last report; read it after the worker has ended.
    const TransferEnd& End() const { return m_end; }

private:
    const TransferWorker::Mode m_mode;
    const std::string m_device;
    ConsoleOutput& m_err;
    const bool m_shown;
    const std::chrono::milliseconds m_receiveTimeout; // zero: none
    bool m_open = false; // the line shows something and has not been ended
    SendEstimate m_estimate;

    TransferEnd m_end;
};

} // namespace

InterruptGuard::InterruptGuard() {
    g_caught.store(0);
    sys::CatchInterrupts(OnInterrupt);
}

InterruptGuard::~InterruptGuard() {
    sys::CatchInterrupts(nullptr);
}

int InterruptGuard::Caught() {
    return g_caught.load();
}

TransferOutcome RunTransfer(TransferWorker::Mode mode, const ComSettings& settings,
                            std::string& buffer, ConsoleOutput& err,
                            std::chrono::milliseconds receiveTimeout) {
    TransferOutcome outcome;
    outcome.device = DevicePath(settings);
    ProgressLine progress(mode, settings, buffer, err, receiveTimeout);
    progress.Show(std::string(LoadString(IDS_TRANSFER_READY)));
    {
        TransferWorker worker(mode, settings, buffer, progress);
        worker.SetReceiveTimeout(receiveTimeout);
        const CancelOnSignal cancelOnSignal(worker);
        if (!StartWithSignalsBlocked(worker)) {
            outcome.reason = "the transfer could not be started";
        } else {
            worker.Join();
            const TransferEnd& end = progress.End();
            outcome.device = end.device;
            outcome.reason = end.Reason();
            switch (end.outcome) {
            case TransferEnd::Outcome::Completed:
                outcome.end = TransferOutcome::End::Completed;
                break;
            case TransferEnd::Outcome::OpenFailed:
                outcome.end = TransferOutcome::End::OpenFailed;
                outcome.openError = end.problem.systemError;
                break;
            case TransferEnd::Outcome::TimedOut:
                outcome.end = TransferOutcome::End::TimedOut;
                break;
            case TransferEnd::Outcome::LineFailed:
            case TransferEnd::Outcome::Cancelled:
            case TransferEnd::Outcome::Faulted:
                outcome.end = TransferOutcome::End::LineFailed;
                break;
            }
        }
    }
    if (outcome.end == TransferOutcome::End::LineFailed && InterruptGuard::Caught() != 0) {
        outcome.end = TransferOutcome::End::Interrupted;
        outcome.signal = InterruptGuard::Caught();
        outcome.reason.clear();
    }
    if (outcome.end == TransferOutcome::End::OpenFailed)
        progress.Erase(); // it said the line was ready
    else
        progress.Finish(outcome.end == TransferOutcome::End::Completed
                            ? std::string(CompletionText(mode))
                            : std::string());
    return outcome;
}

std::string OpenProblemAdvice(const OpenProblem& problem) {
    const std::string explained = ExplainOpenProblem(problem);
    std::string text;
    for (std::size_t begin = 0; begin < explained.size();) {
        const std::size_t end = std::min(explained.find('\n', begin), explained.size());
        text += "  " + explained.substr(begin, end - begin) + "\n";
        begin = end + 1;
    }
    return text;
}

std::string ReceiveProgressText(unsigned count) {
    return TransferCountText(TransferWorker::Mode::Receive, count);
}

std::string SendProgressText(unsigned count, std::size_t total, std::uint64_t secondsLeft) {
    const auto percent = static_cast<unsigned>(
        total == 0 ? 0 : std::min<std::uint64_t>(100, std::uint64_t{count} * 100 / total));
    char share[16];
    std::snprintf(share, sizeof share, " %3u%% ", percent);
    char time[32];
    std::snprintf(time, sizeof time, "%llu:%02u", static_cast<unsigned long long>(secondsLeft / 60),
                  static_cast<unsigned>(secondsLeft % 60));
    return TransferCountText(TransferWorker::Mode::Send, count) + share +
           LoadFormatted(IDS_TRANSFER_TIME_LEFT, {time});
}

} // namespace tessel::cli
