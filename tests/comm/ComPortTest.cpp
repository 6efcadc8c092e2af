// The serial port on real pseudo-terminals; faults, modem lines and a UART's
// output queue come in through the system-call table.

#include "comm/ComPort.h"
#include "res/StringTable.h"

#include "comm/CancelSignal.h"
#include "settings/ComSettings.h"
#include "support/PtyPair.h"
#include "support/SysCallFaults.h"
#include "sys/SysCalls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <ctime>
#include <linux/serial.h>
#include <optional>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace tessel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::PtyPair;

double ThreadCpuMs() {
    timespec cpu{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6;
}

// What a port's problem says: its message and the system's error number.
using Said = std::pair<unsigned, int>;
Said Of(const Problem& problem) {
    return {problem.message, problem.systemError};
}
constexpr Said kFine{IDS_NONE, 0};
constexpr Said OpenFailed(int error) {
    return {IDS_PORT_OPEN_FAILED, error};
}
constexpr Said LineFailed(int error) {
    return {IDS_TRANSFER_FAILED, error};
}

// Raises `cancel` after `delay`; MsAfterRaise() waits for that and says how
// long ago it was.
class RaiseLater {
public:
    RaiseLater(CancelSignal& cancel, std::chrono::milliseconds delay)
        : m_thread([this, &cancel, delay] {
              std::this_thread::sleep_for(delay);
              m_raisedAt = Clock::now();
              cancel.Raise();
          }) {}
    ~RaiseLater() {
        if (m_thread.joinable())
            m_thread.join();
    }
    long MsAfterRaise() {
        const auto now = Clock::now();
        m_thread.join();
        return static_cast<long>((now - m_raisedAt) / 1ms);
    }

private:
    std::thread m_thread;
    Clock::time_point m_raisedAt;
};

TEST(ComPortTest, OpenConfiguresKeepsEarlyInputAndCloseRestores) {
    PtyPair pty;
    termios tio{};
    ::tcgetattr(pty.slave, &tio);
    ::cfsetspeed(&tio, B2400);
    ::tcsetattr(pty.slave, TCSANOW, &tio);
    const auto current = [&] {
        ::tcgetattr(pty.slave, &tio);
        return std::vector<tcflag_t>{tio.c_iflag, tio.c_oflag,         tio.c_cflag,
                                     tio.c_lflag, ::cfgetospeed(&tio), tio.c_cc[VSTART]};
    };
    const auto original = current();
    pty.Write("early");

    ComPort port;
    ASSERT_EQ(Of(port.Open(pty.Settings(kFlowXonXoff), nullptr)), kFine);
    EXPECT_EQ(current()[4], static_cast<tcflag_t>(B9600));
    std::string early(5, '\0');
    for (char& byte : early)
        ASSERT_EQ(Of(port.ReadByte(&byte)), kFine);
    EXPECT_EQ(early, "early");
    EXPECT_EQ(Of(port.Close()), kFine);
    EXPECT_EQ(current(), original);
}

TEST(ComPortTest, OnlyOneHolderAtATime) {
    PtyPair pty;
    ComSettings settings = pty.Settings();
    ComPort first, second;
    ASSERT_EQ(Of(first.Open(settings, nullptr)), kFine);
    EXPECT_EQ(Of(second.Open(settings, nullptr)), OpenFailed(EBUSY));
    first.Close();
    EXPECT_EQ(Of(second.Open(settings, nullptr)), kFine);
    second.Close();

    // Another program's lock keeps the port from us, root or not.
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Of(second.Open(settings, nullptr)), OpenFailed(EBUSY));
    ::close(other);

    settings.Device[0].clear();
    settings.COMPort = 3;
    EXPECT_EQ(DevicePath(settings), "/dev/ttyUSB3");
    settings.Device[3] = "/dev/tessel-no-such-port";
    EXPECT_EQ(Of(second.Open(settings, nullptr)), OpenFailed(ENOENT));
    EXPECT_EQ(second.Device(), "/dev/tessel-no-such-port");
}

TEST(ComPortTest, CancelEndsABlockedWriteWithoutSpinningAndStaysSeen) {
    PtyPair pty;
    CancelSignal cancel;
    ComPort port;
    ASSERT_EQ(Of(port.Open(pty.Settings(), &cancel)), kFine);
    const std::string flood(1 << 20, 'f'); // far more than the other end holds unread
    RaiseLater raise(cancel, 100ms);
    const double cpuBefore = ThreadCpuMs();
    std::size_t taken = 0;
    EXPECT_EQ(Of(port.Write(flood.data(), flood.size(), &taken)), LineFailed(ECANCELED));
    EXPECT_LT(raise.MsAfterRaise(), 100);
    EXPECT_LT(ThreadCpuMs() - cpuBefore, 40.0);

    // The driver took some before the cancel, which threw away what it
    // still held.
    EXPECT_GT(taken, 0u);
    EXPECT_LE(pty.Read(flood.size(), 0).size(), taken);
    pty.Write("z");
    char byte = 0;
    EXPECT_EQ(Of(port.ReadByte(&byte)), LineFailed(ECANCELED)); // although a byte is there
    EXPECT_EQ(Of(port.Write("y", 1, &taken)), LineFailed(ECANCELED));
    EXPECT_EQ(taken, 0u);
    EXPECT_EQ(Of(port.Close()), LineFailed(ECANCELED)); // cancelled output was not delivered
    EXPECT_EQ(pty.Read(1, 20), "");
}

TEST(ComPortTest, XoffFromTheDeviceHoldsOutputUntilXon) {
    PtyPair pty;
    ComPort port;
    ASSERT_EQ(Of(port.Open(pty.Settings(kFlowXonXoff), nullptr)), kFine);
    pty.Write("\x13");
    std::this_thread::sleep_for(20ms); // the terminal layer takes it in
    double cpuMs = 0;
    std::thread writer([&] {
        const double cpuBefore = ThreadCpuMs();
        EXPECT_EQ(Of(port.Write("abc", 3)), kFine);
        cpuMs = ThreadCpuMs() - cpuBefore;
    });
    EXPECT_EQ(pty.Read(3, 100), "");
    pty.Write("\x11");
    EXPECT_EQ(pty.Read(3), "abc");
    writer.join();
    EXPECT_LT(cpuMs, 20.0); // it slept through the stop
}

TEST(ComPortTest, AStandingLineIsReportedOnceAndAgainWhenItMoves) {
    PtyPair pty;
    std::vector<bool> reports;
    const auto record = [&reports](bool stalled) { reports.push_back(stalled); };
    {
        // Output held by Xoff, for three times the report's delay: one report.
        ComPort port;
        port.WatchStalls(100ms, record);
        ASSERT_EQ(Of(port.Open(pty.Settings(kFlowXonXoff), nullptr)), kFine);
        pty.Write("\x13");
        std::this_thread::sleep_for(20ms);
        std::thread writer([&] { EXPECT_EQ(Of(port.Write("abc", 3)), kFine); });
        std::this_thread::sleep_for(300ms);
        pty.Write("\x11");
        EXPECT_EQ(pty.Read(3), "abc");
        writer.join();
        EXPECT_EQ(reports, (std::vector<bool>{true, false}));
    }
    // A receive: silence before the first byte is no stall; after it, it is,
    // and the read time-out ends the wait, counted from the last byte.
    reports.clear();
    ComPort port;
    port.WatchStalls(100ms, record);
    port.SetReadTimeout(250ms);
    ASSERT_EQ(Of(port.Open(pty.Settings(), nullptr)), kFine);
    char byte = 0;
    auto start = Clock::now();
    EXPECT_EQ(Of(port.ReadByte(&byte)), LineFailed(ETIMEDOUT));
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_TRUE(reports.empty());
    pty.Write("a");
    ASSERT_EQ(Of(port.ReadByte(&byte)), kFine);
    start = Clock::now();
    EXPECT_EQ(Of(port.ReadByte(&byte)), LineFailed(ETIMEDOUT));
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_EQ(reports, std::vector<bool>{true});
    pty.Write("b");
    ASSERT_EQ(Of(port.ReadByte(&byte)), kFine);
    EXPECT_EQ(byte, 'b');
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
}

TEST(ComPortTest, PacingPausesAfterBytesAndLineEndsAndIsCancellable) {
    PtyPair pty;
    ComSettings settings = pty.Settings();
    settings.CharDelay = 10;
    settings.LineDelay = 300;
    settings.EndOfLine = 0; // CR: a LF is an ordinary byte
    ComPort port;
    ASSERT_EQ(Of(port.Open(settings, nullptr)), kFine);
    auto start = Clock::now();
    ASSERT_EQ(Of(port.Write("a\n", 2)), kFine);
    EXPECT_GE(Clock::now() - start, 20ms);
    EXPECT_LT(Clock::now() - start, 250ms); // no line pause after the LF
    start = Clock::now();
    ASSERT_EQ(Of(port.Write("\r", 1)), kFine);
    EXPECT_GE(Clock::now() - start, 310ms);
    EXPECT_EQ(pty.Read(3), "a\n\r");

    CancelSignal cancel;
    settings.CharDelay = kMaxPacingDelay;
    ASSERT_EQ(Of(port.Open(settings, &cancel)), kFine);
    RaiseLater raise(cancel, 30ms);
    std::size_t taken = 0;
    EXPECT_EQ(Of(port.Write("x", 1, &taken)), LineFailed(ECANCELED));
    EXPECT_LT(raise.MsAfterRaise(), 100);
    EXPECT_EQ(taken, 1u); // cancelled in the pause after the byte
    EXPECT_EQ(pty.Read(1), "x");
}

// A serial driver behind the port: a UART whose output queue (TIOCOUTQ)
// empties at the line's pace, 960 bytes a second at 9600 bit/s, modem lines,
// the wait at close for the output to leave, and faults on request. The
// bytes themselves go through the pty.
struct FakeDriver {
    double queued = 0;
    Clock::time_point last = Clock::now();
    int loweredWith = -1; // the queue when DTR went low
    int modemLines = 0;
    int opens = 0;
    int openFds = 0;
    int interrupts = 0; // reads still to fail with EINTR
    bool failConfig = false;
    bool failWrites = false;
    bool failDrain = false;
    bool refuseLargeWrites = false; // while reporting room, as a pty may
    // The adapter holds its last bytes, as flow control does with CTS low
    // (the device off or not reading): the drain never ends, nor does the
    // close's wait unless it has been turned off. Only a signal ends them.
    bool ctsLow = false;
    bool rootOnlySerial = false;       // TIOCSSERIAL refused, as for a user
    bool noThreads = false;            // the system makes no thread
    unsigned short closingWait = 3000; // hundredths of a second, Linux's default
    bool flushedSinceWrite = false;
    bool flushedAtClose = false;
    std::size_t largestWrite = 0; // the most bytes handed to one write()
    int discarded = 0;            // queued bytes thrown away by output flushes

    int Queue() {
        const auto now = Clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - last).count();
        queued = std::max(0.0, queued - ms * 0.96);
        last = now;
        return static_cast<int>(std::ceil(queued));
    }
} g_driver;

// Blocks as a call that never ends, until a signal interrupts it: true then.
// A test that waits longer than two seconds has failed anyway; the call ends
// then, so that the test fails rather than hangs.
bool BlockedUntilInterrupted() {
    return sys::RealCalls().poll(nullptr, 0, 2000) < 0 && errno == EINTR;
}

sys::Calls FakeCalls() {
    sys::Calls calls = sys::RealCalls();
    calls.open = [](const char* path, int flags, mode_t mode) {
        ++g_driver.opens;
        const int fd = sys::RealCalls().open(path, flags, mode);
        g_driver.openFds += fd >= 0 ? 1 : 0;
        return fd;
    };
    calls.close = [](int fd) {
        --g_driver.openFds;
        g_driver.flushedAtClose = g_driver.flushedSinceWrite;
        // The descriptor goes at once, the wait for the output comes after.
        const int result = sys::RealCalls().close(fd);
        if (g_driver.ctsLow && g_driver.closingWait != ASYNC_CLOSING_WAIT_NONE &&
            BlockedUntilInterrupted()) {
            errno = EINTR;
            return -1;
        }
        return result;
    };
    calls.write = [](int fd, const void* buffer, std::size_t count) -> ssize_t {
        if (g_driver.failWrites || (g_driver.refuseLargeWrites && count > 1)) {
            errno = g_driver.failWrites ? EIO : EAGAIN;
            return -1;
        }
        const ssize_t n = sys::RealCalls().write(fd, buffer, count);
        g_driver.largestWrite = std::max(g_driver.largestWrite, count);
        g_driver.queued = g_driver.Queue() + static_cast<double>(std::max<ssize_t>(n, 0));
        g_driver.flushedSinceWrite = false;
        return n;
    };
    calls.read = [](int fd, void* buffer, std::size_t count) -> ssize_t {
        if (g_driver.interrupts-- <= 0)
            return sys::RealCalls().read(fd, buffer, count);
        errno = EINTR;
        return -1;
    };
    calls.ioctl = [](int fd, unsigned long request, void* argument) {
        int* value = static_cast<int*>(argument);
        if (request == TIOCOUTQ) {
            *value = g_driver.Queue();
            return 0;
        }
        if (request == TIOCGSERIAL || request == TIOCSSERIAL) {
            auto* serial = static_cast<serial_struct*>(argument);
            if (request == TIOCGSERIAL) {
                *serial = serial_struct{};
                serial->closing_wait = g_driver.closingWait;
            } else if (g_driver.rootOnlySerial) {
                errno = EPERM;
                return -1;
            } else {
                g_driver.closingWait = serial->closing_wait;
            }
            return 0;
        }
        if (request == TIOCMBIS) {
            g_driver.modemLines |= *value;
        } else if (request == TIOCMBIC) {
            g_driver.modemLines &= ~*value;
            if (*value == TIOCM_DTR)
                g_driver.loweredWith = g_driver.Queue();
        }
        return sys::RealCalls().ioctl(fd, request, argument);
    };
    calls.tcsetattr = [](int fd, int when, const termios* tio) {
        if (!g_driver.failConfig)
            return sys::RealCalls().tcsetattr(fd, when, tio);
        errno = EIO;
        return -1;
    };
    calls.tcdrain = [](int fd) {
        if (g_driver.ctsLow) {
            if (!BlockedUntilInterrupted())
                return 0;
            errno = EINTR;
            return -1;
        }
        if (!g_driver.failDrain)
            return sys::RealCalls().tcdrain(fd);
        errno = EIO;
        return -1;
    };
    calls.startThread = [](std::thread& thread, void (*body)(void*), void* context) {
        return g_driver.noThreads ? EAGAIN : sys::RealCalls().startThread(thread, body, context);
    };
    calls.tcflush = [](int fd, int queue) {
        if (queue != TCIFLUSH)
            g_driver.discarded += g_driver.Queue();
        g_driver.queued = queue == TCIFLUSH ? g_driver.queued : 0;
        g_driver.flushedSinceWrite = g_driver.flushedSinceWrite || queue != TCIFLUSH;
        return sys::RealCalls().tcflush(fd, queue);
    };
    return calls;
}

// The port over the fake driver, which starts afresh.
class ComPortSeamTest : public ::testing::Test {
protected:
    ComPortSeamTest() { g_driver = FakeDriver{}; }
    const sys::Calls m_calls = FakeCalls();
    test::ScopedCalls m_scoped{m_calls};
    PtyPair pty;
    ComPort port;
};

TEST_F(ComPortSeamTest, ModemLinesFaultsAndInterruptedCalls) {
    ASSERT_EQ(Of(port.Open(pty.Settings(), nullptr)), kFine);
    EXPECT_EQ(g_driver.modemLines, TIOCM_DTR | TIOCM_RTS);
    g_driver.interrupts = 2;
    pty.Write("r");
    char byte = 0;
    EXPECT_EQ(Of(port.ReadByte(&byte)), kFine);
    EXPECT_EQ(byte, 'r');
    ASSERT_EQ(Of(port.Write(std::string(100, 'w').data(), 100)), kFine);
    g_driver.failWrites = true;
    EXPECT_EQ(Of(port.Write("w", 1)), LineFailed(EIO));
    // What failed output left queued is discarded: the write's problem stands.
    EXPECT_EQ(Of(port.Close()), LineFailed(EIO));
    EXPECT_EQ(g_driver.loweredWith, 0);
    EXPECT_TRUE(g_driver.flushedAtClose);
    EXPECT_EQ(g_driver.closingWait, ASYNC_CLOSING_WAIT_NONE); // nor waited for at close
    EXPECT_EQ(g_driver.modemLines, 0);
    EXPECT_EQ(g_driver.openFds, 0);

    // Configuring fails: Open gives back the lock and exclusivity itself.
    g_driver.failConfig = true;
    EXPECT_EQ(Of(port.Open(pty.Settings(), nullptr)), OpenFailed(EIO));
    EXPECT_EQ(g_driver.openFds, 0);
    g_driver.failConfig = false;
    EXPECT_EQ(Of(port.Open(pty.Settings(), nullptr)), kFine);

    // The last byte's leaving the line could not be waited for.
    g_driver.failWrites = false;
    g_driver.failDrain = true;
    ASSERT_EQ(Of(port.Write("d", 1)), kFine);
    EXPECT_EQ(Of(port.Close()), LineFailed(EIO));
}

TEST_F(ComPortSeamTest, DriverRefusingWhatItReportedRoomForGetsSmallerWrites) {
    g_driver.refuseLargeWrites = true;
    CancelSignal cancel;
    ASSERT_EQ(Of(port.Open(pty.Settings(), &cancel)), kFine);
    RaiseLater raise(cancel, 50ms); // ends a spin, if there is one
    EXPECT_EQ(Of(port.Write("ab", 2)), kFine);
    EXPECT_EQ(pty.Read(2), "ab");
}

TEST_F(ComPortSeamTest, CancelEndsADrainAndACloseThatFlowControlHoldsForEver) {
    // The queue is empty, but the adapter never gets its last bytes out.
    g_driver.ctsLow = true;
    for (const bool rootOnly : {false, true}) { // the closing wait can be turned off, or not
        g_driver.rootOnlySerial = rootOnly;
        g_driver.closingWait = 3000;
        CancelSignal cancel;
        ASSERT_EQ(Of(port.Open(pty.Settings(), &cancel)), kFine);
        ASSERT_EQ(Of(port.Write("abc", 3)), kFine);
        RaiseLater raise(cancel, 50ms);
        EXPECT_EQ(Of(port.Close()), LineFailed(ECANCELED));
        EXPECT_LT(raise.MsAfterRaise(), 100) << rootOnly;
        EXPECT_TRUE(g_driver.flushedAtClose);
        EXPECT_EQ(g_driver.closingWait == ASYNC_CLOSING_WAIT_NONE, !rootOnly);
        EXPECT_EQ(g_driver.modemLines, 0);
        EXPECT_EQ(g_driver.openFds, 0);
        pty.Read(3, 20);
    }

    // With no thread to interrupt it, nothing would end the drain on a
    // cancel: it is not begun, and the close fails at once with the
    // system's reason, leaving nothing queued. Without a cancel signal
    // there is nothing to watch for, and the drain is made as always.
    for (const bool cancellable : {true, false}) {
        g_driver = FakeDriver{};
        g_driver.noThreads = true;
        g_driver.ctsLow = cancellable;
        CancelSignal cancel;
        ASSERT_EQ(Of(port.Open(pty.Settings(), cancellable ? &cancel : nullptr)), kFine);
        ASSERT_EQ(Of(port.Write("abc", 3)), kFine);
        const auto start = Clock::now();
        EXPECT_EQ(Of(port.Close()), cancellable ? LineFailed(EAGAIN) : kFine);
        EXPECT_LT(Clock::now() - start, 100ms);
        EXPECT_EQ(g_driver.flushedAtClose, cancellable);
        EXPECT_EQ(g_driver.openFds, 0);
        pty.Read(3, 20);
    }

    // Stopped before it opened: the device is left alone.
    CancelSignal cancel;
    cancel.Raise();
    g_driver = FakeDriver{};
    EXPECT_EQ(Of(port.Open(pty.Settings(), &cancel)), OpenFailed(ECANCELED));
    EXPECT_EQ(g_driver.opens, 0);
}

TEST_F(ComPortSeamTest, OutputKeepsPaceWithTheLineAndCloseWaitsForTheLastByte) {
    // Byte by byte, as a send goes: each write returns once the queue is no
    // longer than a quarter second of the line (240 bytes), so 300 bytes take
    // at least the line's time for 60, and the close waits for all 300, however
    // fast or slow the writes themselves are (0.96 bytes a millisecond).
    ASSERT_EQ(Of(port.Open(pty.Settings(), nullptr)), kFine);
    int longest = 0;
    const auto start = Clock::now();
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(Of(port.Write("u", 1)), kFine);
        longest = std::max(longest, g_driver.Queue());
    }
    EXPECT_LE(longest, 240);
    EXPECT_GE(Clock::now() - start, 60ms);
    EXPECT_EQ(Of(port.Close()), kFine);
    EXPECT_GE(Clock::now() - start, 300ms); // what was still queued left first
    EXPECT_EQ(g_driver.loweredWith, 0);
    EXPECT_EQ(g_driver.discarded, 0);
    EXPECT_EQ(g_driver.closingWait, 3000); // a send that went is closed as usual

    // A cancel during either wait discards the rest at once: the write's,
    // which 400 bytes at once need (the driver is handed no more than the
    // queue may hold), or the close's, after 200 bytes that need none.
    for (const std::size_t size : {400, 200}) {
        CancelSignal cancel;
        g_driver = FakeDriver{};
        ASSERT_EQ(Of(port.Open(pty.Settings(), &cancel)), kFine);
        const std::string text(size, 'v');
        std::optional<RaiseLater> raise;
        if (size == 400)
            raise.emplace(cancel, 30ms);
        EXPECT_EQ(Of(port.Write(text.data(), size)), size == 400 ? LineFailed(ECANCELED) : kFine);
        EXPECT_LE(g_driver.largestWrite, 240u);
        if (size == 400) {
            EXPECT_EQ(g_driver.Queue(), 0);
        } else {
            raise.emplace(cancel, 30ms);
        }
        EXPECT_EQ(Of(port.Close()), LineFailed(ECANCELED));
        EXPECT_LT(raise->MsAfterRaise(), 100);
        if (size == 200) {
            EXPECT_GT(g_driver.discarded, 0); // not waited for
        }
        EXPECT_EQ(g_driver.loweredWith, 0);
    }

    // Destroyed while open (its owner unwound by an error), the port neither
    // waits for the line nor leaves the rest queued for the device: it throws
    // away what is still queued (0.2 s of the line).
    g_driver = FakeDriver{};
    {
        ComPort dropped;
        ASSERT_EQ(Of(dropped.Open(pty.Settings(), nullptr)), kFine);
        ASSERT_EQ(Of(dropped.Write(std::string(200, 'd').data(), 200)), kFine);
    }
    EXPECT_GT(g_driver.discarded, 0);
    EXPECT_EQ(g_driver.loweredWith, 0);
    EXPECT_EQ(g_driver.openFds, 0);
}

} // namespace
} // namespace tessel
