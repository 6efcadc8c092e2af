#include "comm/TransferWorker.h"

#include "comm/ComPort.h"
#include "res/StringTable.h"

#include <cerrno>
#include <cstdio>
#include <exception>

namespace tessel {

TransferWorker::TransferWorker(Mode mode, const ComSettings& settings, std::string& buffer,
                               TransferObserver& observer)
    : m_mode(mode), m_settings(settings), m_buffer(buffer), m_observer(observer) {}

TransferWorker::~TransferWorker() {
    if (!Completed())
        Cancel();
    Join();
}

bool TransferWorker::Start() {
    if (m_started)
        return false;
    m_running.store(true, std::memory_order_release);
    try {
        m_thread = std::thread(&TransferWorker::Run, this);
    } catch (const std::exception&) {
        // No thread (std::system_error), or no memory for one.
        m_running.store(false, std::memory_order_release);
        return false;
    }
    m_started = true;
    return true;
}

void TransferWorker::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void TransferWorker::Run() {
    // Whichever way the transfer ends, the last thing the thread does is
    // to say so.
    struct EndMark {
        std::atomic<bool>& running;
        ~EndMark() { running.store(false, std::memory_order_release); }
    } endMark{m_running};

    // Nothing may escape a thread, and whoever waits for the transfer waits
    // for its report: a failure of the worker itself (an endless receive
    // running out of memory, say) ends it with a report too, the outcome
    // Transfer had set for a failure at that point.
    TransferEnd end;
    end.captionId = m_mode == Mode::Send ? IDS_CAPTION_SEND : IDS_CAPTION_RECEIVE;
    try {
        Transfer(end);
    } catch (const std::exception& error) {
        end.problem = Problem::FromSystem(IDS_TRANSFER_FAILED, 0, error.what());
    } catch (...) {
        end.problem = Problem::FromSystem(IDS_TRANSFER_FAILED, 0, "unexpected error");
    }
    m_completed.store(end.outcome == TransferEnd::Outcome::Completed, std::memory_order_release);
    m_end = std::move(end);
    try {
        m_observer.OnEnded(m_end);
    } catch (...) {
        // The observer could not take the report (no memory to pass it on,
        // say), and nothing may escape the thread. The end is not lost with
        // it: Ended() says so once this returns, and EndReport() keeps the
        // report for whoever waits (the transfer dialog watches for that).
    }
}

void TransferWorker::Transfer(TransferEnd& end) {
    end.device = DevicePath(m_settings);
    end.outcome = TransferEnd::Outcome::OpenFailed;
    ComPort port;
    if (m_mode == Mode::Receive)
        port.SetReadTimeout(m_receiveTimeout);
    port.WatchStalls(kStallReportAfter, [this](bool stalled) { m_observer.OnStall(stalled); });
    if (Problem problem = port.Open(m_settings, &m_cancel)) {
        // Cancelled before the port opened: nothing was tried, nothing failed.
        if (m_cancel.IsRaised())
            end.outcome = TransferEnd::Outcome::Cancelled;
        end.problem = std::move(problem);
        return;
    }
    end.outcome = TransferEnd::Outcome::Faulted;
    Problem problem = m_mode == Mode::Send ? RunSend(port, end.bytes) : RunReceive(port, end.bytes);
    // A send is complete only once its last byte has left the line.
    Problem closed = port.Close();
    if (problem.Ok())
        problem = std::move(closed);
    if (problem.Ok()) {
        end.outcome = TransferEnd::Outcome::Completed;
        return;
    }
    end.outcome = m_cancel.IsRaised()                ? TransferEnd::Outcome::Cancelled
                  : problem.systemError == ETIMEDOUT ? TransferEnd::Outcome::TimedOut
                                                     : TransferEnd::Outcome::LineFailed;
    end.problem = std::move(problem);
}

Problem TransferWorker::RunSend(ComPort& port, std::size_t& moved) {
    const std::size_t n = m_buffer.size();
    for (std::size_t i = 0; i < n; ++i) {
        // The count of bytes sent before this one: every hundred for a long
        // text, every byte for a short one.
        if (i > 0 && (n < 100 || i % 100 == 0))
            m_observer.OnProgress(static_cast<unsigned>(i));
        std::size_t taken = 0;
        Problem problem = port.Write(&m_buffer[i], 1, &taken);
        moved = i + taken;
        if (problem)
            return problem;
        if (static_cast<unsigned char>(m_buffer[i]) == m_settings.EndOfFile)
            break;
    }
    return {};
}

Problem TransferWorker::RunReceive(ComPort& port, std::size_t& moved) {
    unsigned count = 0;
    for (;;) {
        char byte = 0;
        if (Problem problem = port.ReadByte(&byte))
            return problem;
        m_buffer.push_back(byte);
        ++count;
        ++moved;
        if (count < 100 || count % 100 == 0)
            m_observer.OnProgress(count);
        if (static_cast<unsigned char>(byte) == m_settings.EndOfFile)
            return {};
    }
}

std::string TransferEnd::Reason() const {
    if (problem.Ok())
        return {};
    if (problem.systemError == 0 && problem.systemText.empty())
        return std::string(LoadString(problem.message));
    return DescribeSystemReason(problem);
}

std::string TransferCountText(TransferWorker::Mode mode, unsigned count) {
    char number[16];
    std::snprintf(number, sizeof number, "%5u ", count);
    return number + std::string(LoadString(mode == TransferWorker::Mode::Send
                                               ? IDS_TRANSFER_SENT_COUNT
                                               : IDS_TRANSFER_RECEIVED_COUNT));
}

std::string_view CompletionText(TransferWorker::Mode mode) {
    return LoadString(mode == TransferWorker::Mode::Send ? IDS_TRANSFER_SEND_DONE
                                                         : IDS_TRANSFER_RECEIVE_DONE);
}

} // namespace tessel
