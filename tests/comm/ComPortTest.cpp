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

std::string Reason(int error) {
    return SystemReason(error);
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

    CComPort port;
    ASSERT_TRUE(port.Open(pty.Settings(kFlowXonXoff), nullptr)) << port.LastError();
    EXPECT_EQ(current()[4], static_cast<tcflag_t>(B9600));
    std::string early(5, '\0');
    for (char& byte : early)
        ASSERT_TRUE(port.ReadByte(&byte));
    EXPECT_EQ(early, "early");
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(current(), original);
}

TEST(ComPortTest, OnlyOneHolderAtATime) {
    PtyPair pty;
    ComSettings settings = pty.Settings();
    CComPort first, second;
    ASSERT_TRUE(first.Open(settings, nullptr)) << first.LastError();
    EXPECT_FALSE(second.Open(settings, nullptr));
    EXPECT_EQ(second.LastError(), Reason(EBUSY));
    first.Close();
    EXPECT_TRUE(second.Open(settings, nullptr)) << second.LastError();
    second.Close();

    // Another program's lock keeps the port from us, root or not.
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(second.Open(settings, nullptr));
    EXPECT_EQ(second.LastError(), Reason(EBUSY));
    ::close(other);

    settings.Device[0].clear();
    settings.COMPort = 3;
    EXPECT_EQ(DevicePath(settings), "/dev/ttyUSB3");
    settings.Device[3] = "/dev/tessel-no-such-port";
    EXPECT_FALSE(second.Open(settings, nullptr));
    EXPECT_EQ(second.Device(), "/dev/tessel-no-such-port");
    EXPECT_EQ(second.LastError(), Reason(ENOENT));
}

TEST(ComPortTest, CancelEndsABlockedWriteWithoutSpinningAndStaysSeen) {
    PtyPair pty;
    CancelSignal cancel;
    CComPort port;
    ASSERT_TRUE(port.Open(pty.Settings(), &cancel));
    const std::string flood(1 << 20, 'f'); // far more than the other end holds unread
    RaiseLater raise(cancel, 100ms);
    const double cpuBefore = ThreadCpuMs();
    std::size_t taken = 0;
    EXPECT_FALSE(port.Write(flood.data(), flood.size(), &taken));
    EXPECT_LT(raise.MsAfterRaise(), 100);
    EXPECT_LT(ThreadCpuMs() - cpuBefore, 40.0);

    // The driver took some before the cancel, which threw away what it
    // still held.
    EXPECT_GT(taken, 0u);
    EXPECT_LE(pty.Read(flood.size(), 0).size(), taken);
    pty.Write("z");
    char byte = 0;
    EXPECT_FALSE(port.ReadByte(&byte)); // although a byte is there
    EXPECT_FALSE(port.Write("y", 1, &taken));
    EXPECT_EQ(taken, 0u);
    EXPECT_EQ(port.LastError(), Reason(ECANCELED));
    EXPECT_FALSE(port.Close()); // cancelled output was not delivered
    EXPECT_EQ(pty.Read(1, 20), "");
}

TEST(ComPortTest, XoffFromTheDeviceHoldsOutputUntilXon) {
    PtyPair pty;
    CComPort port;
    ASSERT_TRUE(port.Open(pty.Settings(kFlowXonXoff), nullptr));
    pty.Write("\x13");
    std::this_thread::sleep_for(20ms); // the terminal layer takes it in
    double cpuMs = 0;
    std::thread writer([&] {
        const double cpuBefore = ThreadCpuMs();
        EXPECT_TRUE(port.Write("abc", 3));
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
        CComPort port;
        port.WatchStalls(100ms, record);
        ASSERT_TRUE(port.Open(pty.Settings(kFlowXonXoff), nullptr));
        pty.Write("\x13");
        std::this_thread::sleep_for(20ms);
        std::thread writer([&] { EXPECT_TRUE(port.Write("abc", 3)); });
        std::this_thread::sleep_for(300ms);
        pty.Write("\x11");
        EXPECT_EQ(pty.Read(3), "abc");
        writer.join();
        EXPECT_EQ(reports, (std::vector<bool>{true, false}));
    }
    // A receive: silence before the first byte is no stall; after it, it is,
    // and the read time-out ends the wait, counted from the last byte.
    reports.clear();
    CComPort port;
    port.WatchStalls(100ms, record);
    port.SetReadTimeout(250ms);
    ASSERT_TRUE(port.Open(pty.Settings(), nullptr));
    char byte = 0;
    auto start = Clock::now();
    EXPECT_FALSE(port.ReadByte(&byte));
    EXPECT_TRUE(port.TimedOut());
    EXPECT_EQ(port.LastError(), Reason(ETIMEDOUT));
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_TRUE(reports.empty());
    pty.Write("a");
    ASSERT_TRUE(port.ReadByte(&byte));
    EXPECT_FALSE(port.TimedOut());
    start = Clock::now();
    EXPECT_FALSE(port.ReadByte(&byte));
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_EQ(reports, std::vector<bool>{true});
    pty.Write("b");
    ASSERT_TRUE(port.ReadByte(&byte));
    EXPECT_EQ(byte, 'b');
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
}

TEST(ComPortTest, PacingPausesAfterBytesAndLineEndsAndIsCancellable) {
    PtyPair pty;
    ComSettings settings = pty.Settings();
    settings.CharDelay = 10;
    settings.LineDelay = 300;
    settings.EndOfLine = 0; // CR: a LF is an ordinary byte
    CComPort port;
    ASSERT_TRUE(port.Open(settings, nullptr));
    auto start = Clock::now();
    ASSERT_TRUE(port.Write("a\n", 2));
    EXPECT_GE(Clock::now() - start, 20ms);
    EXPECT_LT(Clock::now() - start, 250ms); // no line pause after the LF
    start = Clock::now();
    ASSERT_TRUE(port.Write("\r", 1));
    EXPECT_GE(Clock::now() - start, 310ms);
    EXPECT_EQ(pty.Read(3), "a\n\r");

    CancelSignal cancel;
    settings.CharDelay = kMaxPacingDelay;
    ASSERT_TRUE(port.Open(settings, &cancel));
    RaiseLater raise(cancel, 30ms);
    std::size_t taken = 0;
    EXPECT_FALSE(port.Write("x", 1, &taken));
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
    CComPort port;
};

TEST_F(ComPortSeamTest, ModemLinesFaultsAndInterruptedCalls) {
    ASSERT_TRUE(port.Open(pty.Settings(), nullptr));
    EXPECT_EQ(g_driver.modemLines, TIOCM_DTR | TIOCM_RTS);
    g_driver.interrupts = 2;
    pty.Write("r");
    char byte = 0;
    EXPECT_TRUE(port.ReadByte(&byte));
    EXPECT_EQ(byte, 'r');
    ASSERT_TRUE(port.Write(std::string(100, 'w').data(), 100));
    g_driver.failWrites = true;
    EXPECT_FALSE(port.Write("w", 1));
    EXPECT_EQ(port.LastError(), Reason(EIO));
    EXPECT_FALSE(port.Close()); // what failed output left queued is discarded
    EXPECT_EQ(g_driver.loweredWith, 0);
    EXPECT_TRUE(g_driver.flushedAtClose);
    EXPECT_EQ(g_driver.closingWait, ASYNC_CLOSING_WAIT_NONE); // nor waited for at close
    EXPECT_EQ(g_driver.modemLines, 0);
    EXPECT_EQ(g_driver.openFds, 0);

    // Configuring fails: Open gives back the lock and exclusivity itself.
    g_driver.failConfig = true;
    EXPECT_FALSE(port.Open(pty.Settings(), nullptr));
    EXPECT_EQ(port.LastError(), Reason(EIO));
    EXPECT_EQ(g_driver.openFds, 0);
    g_driver.failConfig = false;
    EXPECT_TRUE(port.Open(pty.Settings(), nullptr));

    // The last byte's leaving the line could not be waited for.
    g_driver.failWrites = false;
    g_driver.failDrain = true;
    ASSERT_TRUE(port.Write("d", 1));
    EXPECT_FALSE(port.Close());
    EXPECT_EQ(port.LastError(), Reason(EIO));
}

TEST_F(ComPortSeamTest, DriverRefusingWhatItReportedRoomForGetsSmallerWrites) {
    g_driver.refuseLargeWrites = true;
    CancelSignal cancel;
    ASSERT_TRUE(port.Open(pty.Settings(), &cancel));
    RaiseLater raise(cancel, 50ms); // ends a spin, if there is one
    EXPECT_TRUE(port.Write("ab", 2));
    EXPECT_EQ(pty.Read(2), "ab");
}

TEST_F(ComPortSeamTest, CancelEndsADrainAndACloseThatFlowControlHoldsForEver) {
    // The queue is empty, but the adapter never gets its last bytes out.
    g_driver.ctsLow = true;
    for (const bool rootOnly : {false, true}) { // the closing wait can be turned off, or not
        g_driver.rootOnlySerial = rootOnly;
        g_driver.closingWait = 3000;
        CancelSignal cancel;
        ASSERT_TRUE(port.Open(pty.Settings(), &cancel));
        ASSERT_TRUE(port.Write("abc", 3));
        RaiseLater raise(cancel, 50ms);
        EXPECT_FALSE(port.Close());
        EXPECT_LT(raise.MsAfterRaise(), 100) << rootOnly;
        EXPECT_EQ(port.LastError(), Reason(ECANCELED));
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
        ASSERT_TRUE(port.Open(pty.Settings(), cancellable ? &cancel : nullptr));
        ASSERT_TRUE(port.Write("abc", 3));
        const auto start = Clock::now();
        EXPECT_EQ(port.Close(), !cancellable);
        EXPECT_LT(Clock::now() - start, 100ms);
        EXPECT_EQ(port.LastError(), cancellable ? Reason(EAGAIN) : "");
        EXPECT_EQ(g_driver.flushedAtClose, cancellable);
        EXPECT_EQ(g_driver.openFds, 0);
        pty.Read(3, 20);
    }

    // Stopped before it opened: the device is left alone.
    CancelSignal cancel;
    cancel.Raise();
    g_driver = FakeDriver{};
    EXPECT_FALSE(port.Open(pty.Settings(), &cancel));
    EXPECT_EQ(port.LastError(), Reason(ECANCELED));
    EXPECT_EQ(g_driver.opens, 0);
}

TEST_F(ComPortSeamTest, OutputKeepsPaceWithTheLineAndCloseWaitsForTheLastByte) {
    ASSERT_TRUE(port.Open(pty.Settings(), nullptr));
    int longest = 0;
    auto start = Clock::now();
    for (int i = 0; i < 250; ++i) {
        ASSERT_TRUE(port.Write("u", 1));
        longest = std::max(longest, g_driver.Queue());
    }
    EXPECT_LE(longest, 240); // a quarter second of the line
    EXPECT_GE(Clock::now() - start, 100ms);
    start = Clock::now();
    EXPECT_TRUE(port.Close());
    EXPECT_GE(Clock::now() - start, 100ms); // what was still queued left first
    EXPECT_EQ(g_driver.loweredWith, 0);
    EXPECT_EQ(g_driver.closingWait, 3000); // a send that went is closed as usual

    // A cancel during either wait discards the rest at once.
    for (const std::size_t size : {400, 200}) { // 200 bytes need no wait in Write
        CancelSignal cancel;
        g_driver = FakeDriver{};
        ASSERT_TRUE(port.Open(pty.Settings(), &cancel));
        const std::string text(size, 'v');
        RaiseLater raise(cancel, 30ms);
        EXPECT_EQ(port.Write(text.data(), size), size != 400);
        EXPECT_EQ(g_driver.Queue() == 0, size == 400);
        EXPECT_FALSE(port.Close());
        EXPECT_LT(raise.MsAfterRaise(), 100);
        EXPECT_EQ(g_driver.loweredWith, 0);
    }

    // Destroyed while open (its owner unwound by an error), the port neither
    // waits for the line nor leaves the rest queued for the device.
    g_driver = FakeDriver{};
    {
        CComPort dropped;
        ASSERT_TRUE(dropped.Open(pty.Settings(), nullptr));
        ASSERT_TRUE(dropped.Write(std::string(200, 'd').data(), 200)); // 0.2 s of the line
        start = Clock::now();
    }
    EXPECT_LT(Clock::now() - start, 100ms);
    EXPECT_EQ(g_driver.loweredWith, 0);
    EXPECT_EQ(g_driver.openFds, 0);
}

} // namespace
} // namespace tessel
