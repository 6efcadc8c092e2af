// Transfers on a worker thread over pseudo-terminals, and what a receive
// does with its new document.

#include "comm/TransferWorker.h"

#include "comm/TransferFlows.h"
#include "doc/KivaDoc.h"
#include "res/StringTable.h"
#include "support/DocHarness.h"
#include "support/PtyPair.h"

#include <gtest/gtest.h>

#include <mutex>
#include <sys/file.h>
#include <thread>

namespace tessel {
namespace {

using namespace std::chrono_literals;
using test::PtyPair;
using Clock = std::chrono::steady_clock;
using Events = std::vector<std::string>;

// What a worker reports, as text.
class Recorder final : public ITransferObserver {
public:
    void OnProgress(unsigned count) override { Add(std::to_string(count)); }
    void OnDone() override { Add(worker->Completed() ? "done" : "done, not completed"); }
    void OnOpenFailed(unsigned captionId, const std::string& device,
                      const std::string& reason) override {
        Add("open failed " + std::to_string(captionId) + " " + device + ": " + reason);
    }
    Events Get() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    const TransferWorker* worker = nullptr;

private:
    void Add(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    std::mutex m_mutex;
    Events m_events;
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
    EXPECT_EQ(receive.buffer, text);
    char rest[8] = {};
    EXPECT_EQ(::read(pty.slave, rest, sizeof rest), 4); // "next" stays unread
}

TEST(TransferWorkerTest, CancelOrAHangUpEndsTheWorkerAtOnce) {
    PtyPair pty;
    const ComSettings settings = pty.Settings();
    {
        Transfer receive(kReceive, settings); // nothing arrives
        std::this_thread::sleep_for(30ms);
        EXPECT_LT(receive.CancelAndJoin(), 100ms);
        EXPECT_TRUE(receive.Get().empty());
        EXPECT_FALSE(receive.worker.Completed());
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
    EXPECT_EQ(receive.Get(), (Events{"1", "2", "3"}));
    EXPECT_EQ(receive.buffer, "abc");
    EXPECT_FALSE(receive.worker.Completed());
}

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
}

TEST(TransferWorkerTest, PortThatWontOpenIsReportedOnceWithTheCaption) {
    PtyPair pty;
    ComSettings settings = pty.Settings();
    const int holder = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    {
        Transfer send(kSend, settings, "x\x1a");
        send.worker.Join();
        EXPECT_EQ(send.Get(), Events{"open failed 251 " + pty.path + ": " +
                                     std::generic_category().message(EBUSY)});
        EXPECT_FALSE(send.worker.Completed());
    }
    ::close(holder);
    settings.Device[0] = "/dev/tessel-no-such-port";
    Transfer receive(kReceive, settings);
    receive.worker.Join();
    EXPECT_EQ(receive.Get(), Events{"open failed 250 /dev/tessel-no-such-port: " +
                                    std::generic_category().message(ENOENT)});
}

TEST(TransferFlowsTest, ReceivedBytesBecomeTheNewDocumentUnlessNoneCameOrTheyDontFit) {
    test::DocHarness<CKivaDoc> data;
    EXPECT_FALSE(AcceptReceived(data.doc, ""));       // cancelled before the first byte
    EXPECT_TRUE(AcceptReceived(data.doc, "raw\r\n")); // broke off: kept as it came
    EXPECT_EQ(data.Text(), "raw\r\n");
    EXPECT_TRUE(data.doc.IsModified());

    test::DocHarness<CKivaDoc> full;
    full.editor.SetLimit(2);
    EXPECT_FALSE(AcceptReceived(full.doc, "ABC\x1a"));
    EXPECT_EQ(full.sink.ids, std::vector<unsigned>{IDS_RECEIVE_TOO_LARGE});
    EXPECT_FALSE(full.doc.IsModified());
}

} // namespace
} // namespace tessel
