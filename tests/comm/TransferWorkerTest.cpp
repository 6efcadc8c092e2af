// Transfers on a worker thread over pseudo-terminals, and what a receive
// does with its new document.

#include "comm/TransferWorker.h"

#include "comm/TransferFlows.h"
#include "doc/Document.h"
#include "res/StringTable.h"
#include "support/DocHarness.h"
#include "support/PtyPair.h"
#include "support/SysCallFaults.h"
#include "sys/SysCalls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <new>
#include <stdexcept>
#include <sys/file.h>
#include <thread>

namespace tessel {
namespace {

using namespace std::chrono_literals;
using test::PtyPair;
using Clock = std::chrono::steady_clock;
using Events = std::vector<std::string>;

// What a worker reports, as text: the counts, then "done" or how it failed.
class Recorder final : public TransferObserver {
public:
    void OnProgress(unsigned count) override { Add(std::to_string(count)); }
    void OnEnded(const TransferEnd& end) override {
        const char* const outcomes[] = {"done", "open failed", "line failed", "cancelled",
                                        "faulted"};
        const bool completed = end.outcome == TransferEnd::Outcome::Completed;
        std::string event = outcomes[static_cast<std::size_t>(end.outcome)];
        if (!completed || !end.Reason().empty())
            event += " " + std::to_string(end.captionId) + " " + end.device + ": " + end.Reason();
        if (worker->Completed() != completed)
            event += " (Completed() disagrees)";
        {
            std::lock_guard lock(m_mutex);
            m_bytes = end.bytes;
        }
        Add(event);
    }
    Events Get() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    // The bytes the last report said went through.
    std::size_t Bytes() {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }
    const TransferWorker* worker = nullptr;

private:
    void Add(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    std::mutex m_mutex;
    Events m_events;
    std::size_t m_bytes = 0;
};

// A transfer, started at once; the worker goes first when it ends.
struct Transfer {
    Transfer(TransferWorker::Mode mode, const ComSettings& settings, std::string text = {})
        : buffer(std::move(text)), worker(mode, settings, buffer, recorder) {
        recorder.worker = &worker;
        EXPECT_TRUE(worker.Start());
    }
    Events Get() { return recorder.Get(); }
    // Cancels and says how long the worker took to end after that.
    Clock::duration CancelAndJoin() {
        const auto start = Clock::now();
        worker.Cancel();
        worker.Join();
        return Clock::now() - start;
    }

    Recorder recorder;
    std::string buffer;
    TransferWorker worker;
};

constexpr auto kSend = TransferWorker::Mode::Send;
constexpr auto kReceive = TransferWorker::Mode::Receive;

// The counts first, first + step, ... up to last, then "done".
Events Counts(unsigned first, unsigned last, unsigned step = 1) {
    Events events;
    for (unsigned count = first; count <= last; count += step)
        events.push_back(std::to_string(count));
    events.push_back("done");
    return events;
}

// `length` bytes: byte values from `first` on, up or down, the end code
// (0x1A) only at the end.
std::string Text(std::size_t length, int first, int step) {
    std::string text;
    for (int value = first; text.size() + 1 < length; value += step)
        text += static_cast<char>(value == 0x1a ? 0x1b : value);
    return text + "\x1a";
}

TEST(TransferWorkerTest, SendCountsDependOnTheLengthAndALaterCancelDoesNothing) {
    PtyPair pty;
    const std::pair<std::size_t, Events> cases[] = {{99, Counts(1, 98)},
                                                    {100, Counts(1, 0)},
                                                    {101, Counts(100, 100)},
                                                    {250, Counts(100, 200, 100)},
                                                    {5, Counts(1, 4)}};
    for (const auto& [length, expected] : cases) {
        const std::string text = Text(length, 255, -1);
        Transfer send(kSend, pty.Settings(kFlowRtsCts), text);
        send.worker.Join();
        send.worker.Cancel();
        EXPECT_EQ(send.Get(), expected) << length;
        EXPECT_TRUE(send.worker.Completed());
        EXPECT_EQ(pty.Read(length), text);
    }
}

TEST(TransferWorkerTest, EndCodeEndsASendAndAReceive) {
    PtyPair pty;
    ComSettings settings = pty.Settings(kFlowRtsCts);
    settings.EndOfFile = 0x82;
    {
        Transfer send(kSend, settings,
                      "ab\x82"
                      "cd\x1a");
        send.worker.Join();
        EXPECT_EQ(send.Get(), Counts(1, 2));
        EXPECT_EQ(send.recorder.Bytes(), 3u);
        EXPECT_EQ(pty.Read(6, 50), "ab\x82");
    }
    settings.EndOfFile = 0x1a;
    const std::string text = Text(150, 0, 1);
    pty.Write(text + "next");
    Transfer receive(kReceive, settings);
    receive.worker.Join();
    Events expected = Counts(1, 99);
    expected.insert(expected.end() - 1, "100");
    EXPECT_EQ(receive.Get(), expected);
    EXPECT_EQ(receive.recorder.Bytes(), 150u);
    EXPECT_EQ(receive.buffer, text);
    char rest[8] = {};
    EXPECT_EQ(::read(pty.slave, rest, sizeof rest), 4); // "next" stays unread
}

// System calls that throw, as a fault that no error code reports would:
// the open, or a read or write once `g_faultAfter` bytes have gone through.
std::atomic<long> g_faultAfter{0};

sys::Calls ThrowingCalls(bool atOpen) {
    sys::Calls calls = sys::RealCalls();
    if (atOpen)
        calls.open = [](const char*, int, mode_t) -> int { throw std::runtime_error("no driver"); };
    calls.read = [](int fd, void* buffer, std::size_t count) -> ssize_t {
        if (g_faultAfter <= 0)
            throw std::runtime_error("driver fault");
        const ssize_t n = sys::RealCalls().read(fd, buffer, std::min<std::size_t>(count, 1));
        g_faultAfter -= std::max<ssize_t>(n, 0);
        return n;
    };
    calls.write = [](int fd, const void* buffer, std::size_t count) -> ssize_t {
        if (g_faultAfter <= 0)
            throw std::bad_alloc();
        const ssize_t n = sys::RealCalls().write(fd, buffer, std::min<std::size_t>(count, 1));
        g_faultAfter -= std::max<ssize_t>(n, 0);
        return n;
    };
    return calls;
}

// A drain that never ends, as on an adapter whose flow control holds the
// last bytes (CTS low), until a signal interrupts it; two seconds at most,
// so that a failing test ends.
sys::Calls EndlessDrainCalls() {
    sys::Calls calls = sys::RealCalls();
    calls.tcdrain = [](int) {
        if (sys::RealCalls().poll(nullptr, 0, 2000) == 0)
            return 0;
        errno = EINTR;
        return -1;
    };
    return calls;
}

TEST(TransferWorkerTest, CancelOrAHangUpEndsTheWorkerAtOnce) {
    PtyPair pty;
    const ComSettings settings = pty.Settings();
    const std::string cancelled = ": " + SystemReason(ECANCELED);
    {
        Transfer receive(kReceive, settings); // nothing arrives
        std::this_thread::sleep_for(30ms);
        EXPECT_LT(receive.CancelAndJoin(), 100ms);
        EXPECT_EQ(receive.Get(), Events{"cancelled 250 " + pty.path + cancelled});
        EXPECT_FALSE(receive.worker.Completed());
    }
    {
        // Every byte is written; the last ones never leave the adapter.
        const sys::Calls calls = EndlessDrainCalls();
        const test::ScopedCalls scoped(calls);
        Transfer send(kSend, settings, "ab\x1a");
        EXPECT_EQ(pty.Read(3), "ab\x1a");
        std::this_thread::sleep_for(30ms);
        EXPECT_LT(send.CancelAndJoin(), 100ms);
        EXPECT_EQ(send.Get(), (Events{"1", "2", "cancelled 251 " + pty.path + cancelled}));
        EXPECT_EQ(send.recorder.Bytes(), 3u); // all written, though not delivered
    }
    {
        // No thread could end that drain on a cancel: it is not begun, and
        // the send fails at once with the system's reason.
        sys::Calls calls = EndlessDrainCalls();
        calls.startThread = [](std::thread&, void (*)(void*), void*) { return EAGAIN; };
        const test::ScopedCalls scoped(calls);
        const auto start = Clock::now();
        Transfer send(kSend, settings, "ab\x1a");
        send.worker.Join();
        EXPECT_LT(Clock::now() - start, 1s);
        EXPECT_EQ(send.Get(),
                  (Events{"1", "2", "line failed 251 " + pty.path + ": " + SystemReason(EAGAIN)}));
    }
    {
        // Cancelled before it started: the port is never opened (here an
        // open would throw).
        const sys::Calls calls = ThrowingCalls(true);
        const test::ScopedCalls scoped(calls);
        std::string buffer = "x\x1a";
        Recorder recorder;
        TransferWorker send(kSend, settings, buffer, recorder);
        recorder.worker = &send;
        send.Cancel();
        ASSERT_TRUE(send.Start());
        send.Join();
        EXPECT_EQ(recorder.Get(), Events{"cancelled 251 " + pty.path + cancelled});
    }
    auto start = Clock::now();
    { Transfer receive(kReceive, settings); } // destroyed in the middle: stops, and is waited for
    EXPECT_LT(Clock::now() - start, 100ms);

    Transfer receive(kReceive, settings);
    pty.Write("abc");
    std::this_thread::sleep_for(30ms);
    ::close(pty.master); // the device goes away
    pty.master = -1;
    start = Clock::now();
    receive.worker.Join();
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ(receive.Get(), (Events{"1", "2", "3",
                                     "line failed 250 " + pty.path + ": " +
                                         std::string(LoadString(IDS_REASON_HUNG_UP))}));
    EXPECT_EQ(receive.buffer, "abc");
    EXPECT_FALSE(receive.worker.Completed());
}

// An observer that cannot take the last report.
class ThrowingObserver final : public TransferObserver {
public:
    void OnProgress(unsigned) override {}
    void OnEnded(const TransferEnd&) override { throw std::bad_alloc(); }
};

TEST(TransferWorkerTest, EndedTellsWithoutJoiningWhenTheThreadIsDone) {
    PtyPair pty;
    std::string buffer;
    Recorder recorder;
    TransferWorker idle(kReceive, pty.Settings(), buffer, recorder);
    EXPECT_TRUE(idle.Ended()); // never started: nothing to wait for

    Transfer receive(kReceive, pty.Settings());
    std::this_thread::sleep_for(30ms);
    EXPECT_FALSE(receive.worker.Ended()); // waiting for a byte
    receive.worker.Cancel();
    const auto deadline = Clock::now() + 1s;
    while (!receive.worker.Ended() && Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(receive.worker.Ended());

    // An observer that throws loses nothing: the report is the worker's to
    // give once it has ended.
    ComSettings settings = pty.Settings();
    settings.Device[0] = "/dev/tessel-no-such-port";
    ThrowingObserver throwing;
    TransferWorker lost(kReceive, settings, buffer, throwing);
    ASSERT_TRUE(lost.Start());
    lost.Join();
    EXPECT_TRUE(lost.Ended());
    EXPECT_EQ(lost.EndReport().outcome, TransferEnd::Outcome::OpenFailed);
    EXPECT_EQ(lost.EndReport().captionId, IDS_CAPTION_RECEIVE);
    EXPECT_EQ(lost.EndReport().device, "/dev/tessel-no-such-port");
    EXPECT_EQ(lost.EndReport().Reason(), SystemReason(ENOENT));
    EXPECT_EQ(lost.EndReport().problem.systemError, ENOENT);
}

TEST(TransferWorkerTest, PortThatWontOpenIsReportedOnceWithTheCaption) {
    PtyPair pty;
    ComSettings settings = pty.Settings();
    const int holder = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    {
        Transfer send(kSend, settings, "x\x1a");
        send.worker.Join();
        EXPECT_EQ(send.Get(), Events{"open failed 251 " + pty.path + ": " + SystemReason(EBUSY)});
        EXPECT_FALSE(send.worker.Completed());
    }
    ::close(holder);
    settings.Device[0] = "/dev/tessel-no-such-port";
    Transfer receive(kReceive, settings);
    receive.worker.Join();
    EXPECT_EQ(receive.Get(),
              Events{"open failed 250 /dev/tessel-no-such-port: " + SystemReason(ENOENT)});
}

TEST(TransferWorkerTest, ASystemCallThatThrowsEndsTheTransferWithItsReason) {
    PtyPair pty;
    const std::string send = "251 " + pty.path + ": ";
    const std::string receive = "250 " + pty.path + ": ";
    const struct {
        bool atOpen;
        TransferWorker::Mode mode;
        long faultAfter;
        Events expected;
    } cases[] = {
        {true, kSend, 0, {"open failed " + send + "no driver"}},
        {false, kSend, 150, {"100", "faulted " + send + "std::bad_alloc"}},
        {false, kReceive, 2, {"1", "2", "faulted " + receive + "driver fault"}},
    };
    for (const auto& c : cases) {
        const sys::Calls calls = ThrowingCalls(c.atOpen);
        g_faultAfter = c.faultAfter;
        const sys::Calls* previous = sys::InstallCalls(&calls);
        if (c.mode == kReceive)
            pty.Write("abc");
        {
            Transfer transfer(c.mode, pty.Settings(), c.mode == kSend ? Text(250, 0, 1) : "");
            transfer.worker.Join();
            EXPECT_EQ(transfer.Get(), c.expected);
            EXPECT_EQ(transfer.recorder.Bytes(), static_cast<std::size_t>(c.faultAfter));
            EXPECT_FALSE(transfer.worker.Completed());
            if (c.mode == kReceive) {
                EXPECT_EQ(transfer.buffer, "ab"); // what came before the fault stays
            }
        }
        sys::InstallCalls(previous);
        EXPECT_LE(pty.Read(250, 50).size(), 150u); // the send went no further
        ::tcflush(pty.slave, TCIOFLUSH);

        // The port was given back: the next transfer has it.
        Transfer next(kSend, pty.Settings(), "x\x1a");
        next.worker.Join();
        EXPECT_EQ(next.Get(), Counts(1, 1));
        EXPECT_EQ(pty.Read(2), "x\x1a");
    }
}

TEST(TransferFlowsTest, ReceivedBytesBecomeTheNewDocumentUnlessNoneCameOrTheyDontFit) {
    test::DocHarness<Document> data;
    EXPECT_FALSE(AcceptReceived(data.doc, ""));       // cancelled before the first byte
    EXPECT_TRUE(AcceptReceived(data.doc, "raw\r\n")); // broke off: kept as it came
    EXPECT_EQ(data.Text(), "raw\r\n");
    EXPECT_TRUE(data.doc.IsModified());

    test::DocHarness<Document> full;
    full.editor.SetLimit(2);
    EXPECT_FALSE(AcceptReceived(full.doc, "ABC\x1a"));
    EXPECT_EQ(full.sink.ids, std::vector<unsigned>{IDS_RECEIVE_TOO_LARGE});
    EXPECT_FALSE(full.doc.IsModified());
}

} // namespace
} // namespace tessel
