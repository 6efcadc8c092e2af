// The transfers of tessel-cli in-process over a pseudo-terminal: the
// progress line and the time it foresees.

#include "cli/CliTransfer.h"
#include "cli/CliCommands.h"
#include "comm/PortDiscovery.h"
#include "comm/SendEstimate.h"
#include "res/StringTable.h"
#include "support/PtyPair.h"
#include "support/SysCallFaults.h"
#include "support/TempDir.h"
#include "sys/Platform.h"
#include "sys/SysCalls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <poll.h>
#include <set>
#include <stdexcept>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace tessel::cli {
namespace {

using test::PtyPair;
using test::ReadBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteBytes;

TEST(CliTransfer, TimeLeftCountsEveryBitOfTheFrameAndThePacing) {
    // The progress line takes the time left from the send estimate.
    using std::chrono::milliseconds;
    const auto timeFor = [](const ComSettings& settings, std::size_t bytes, std::size_t lineEnds) {
        const std::string text = std::string(bytes - lineEnds, 'x') + std::string(lineEnds, '\n');
        return SendEstimate(settings, text).Remaining(0);
    };
    ComSettings settings;
    EXPECT_EQ(timeFor(settings, 120, 0), milliseconds(1000)); // 1200 bit/s, 8N1: 10 bits a byte
    EXPECT_EQ(timeFor(settings, 1, 0), milliseconds(9));      // rounded up
    settings.BaudRate = 0;                                    // 300 bit/s
    settings.DataBit = 0;
    settings.Parity = 1;
    settings.StopBit = 1; // 7E2: 11 bits
    settings.BuildLineConfig();
    EXPECT_EQ(timeFor(settings, 300, 0), milliseconds(11000));
    settings.CharDelay = 10;
    settings.LineDelay = 100;
    EXPECT_EQ(timeFor(settings, 300, 5), milliseconds(11000 + 3000 + 500));

    EXPECT_EQ(SendProgressText(100, 250, 61), "  100 バイト送信済み  40% 残り 1:01");
    EXPECT_EQ(SendProgressText(123456, 123457, 0), "123456 バイト送信済み  99% 残り 0:00");
    EXPECT_EQ(ReceiveProgressText(7), "    7 バイト受信済み");
}

// The desktop program's explanation, each line indented under the error.
TEST(CliTransfer, AnOpenFailureSaysWhatToDo) {
    SetLanguage(Language::English);
    OpenProblem denied;
    denied.kind = OpenProblem::Kind::Denied;
    denied.device = "/dev/ttyUSB0";
    denied.group = "dialout";
    denied.mode = "crw-rw----";
    denied.user = "alice";
    EXPECT_EQ(OpenProblemAdvice(denied),
              "  You have no permission to use /dev/ttyUSB0 (group dialout, crw-rw----).\n"
              "  Add your user to the dialout group, then log in again:\n"
              "  sudo usermod -aG dialout alice\n");

    OpenProblem busy;
    busy.kind = OpenProblem::Kind::Busy;
    busy.device = "COM3";
    // Windows has no ModemManager or brltty to suspect.
    EXPECT_EQ(OpenProblemAdvice(busy).find("ModemManager") == std::string::npos, sys::kWindows);
    busy.holders = {{812, "minicom"}};
    busy.suspects = {{77, "ModemManager"}};
    const std::string advice = OpenProblemAdvice(busy);
    EXPECT_EQ(advice.substr(0, advice.find("  ModemManager")),
              "  COM3 is in use by another program. Close that program and try again.\n"
              "  In use by: minicom (process ID 812)\n");
    EXPECT_NE(advice.find("ENV{ID_MM_DEVICE_IGNORE}=\"1\""), std::string::npos);

    OpenProblem missing;
    missing.kind = OpenProblem::Kind::Missing;
    missing.device = "/dev/ttyUSB7";
    SerialPortInfo usb;
    usb.path = "/dev/serial/by-id/usb-X";
    usb.product = "CP2102";
    missing.present.push_back(usb);
    SerialPortInfo builtIn;
    builtIn.path = "/dev/ttyS0";
    missing.present.push_back(builtIn);
    EXPECT_EQ(OpenProblemAdvice(missing), "  /dev/ttyUSB7 does not exist.\n"
                                          "  Serial ports on this computer:\n"
                                          "    /dev/serial/by-id/usb-X  (CP2102)\n"
                                          "    /dev/ttyS0\n");
    EXPECT_EQ(OpenProblemAdvice(OpenProblem{}), "");
    SetLanguage(Language::Japanese);
    EXPECT_EQ(OpenProblemAdvice(missing).rfind("  /dev/ttyUSB7 はありません。\n", 0), 0u);
}

class CliTransferOnPty : public ::testing::Test {
protected:
    // Runs tessel-cli with `args` and the port on the pty, standard error
    // passing for a terminal or not.
    std::string Run(std::vector<std::string> args, bool terminal, int expected = kExitOk) {
        StringOutput err(terminal);
        EXPECT_EQ(RunWith(std::move(args), err), expected) << err.Text();
        return err.Text();
    }
    int RunWith(std::vector<std::string> args, ConsoleOutput& err) {
        // After the command, so that the test's own options come later and win.
        args.insert(args.begin() + 1, {"--port", m_pty.path, "--baud", "9600", "--flow", "none"});
        const std::vector<std::string_view> views(args.begin(), args.end());
        StringOutput out;
        CliContext context{out, err, m_dir.file("tessel.INI")};
        // A machine without serial ports, whatever this one has.
        context.roots.dev = context.roots.sys = context.roots.proc = m_dir.file("none");
        return RunCommandLine(views, context);
    }
    // Bytes the device sent that no one has read yet (once they have come
    // through the terminal layer, which takes a moment).
    int Unread() const {
        pollfd ready{m_pty.slave, POLLIN, 0};
        ::poll(&ready, 1, 1000);
        int count = -1;
        ::ioctl(m_pty.slave, FIONREAD, &count);
        return count;
    }

    PtyPair m_pty;
    TempDir m_dir;
};

TEST_F(CliTransferOnPty, ProgressShowsOnATerminalOnly) {
    // 250 bytes with the end code: counts every hundred, and the time the
    // rest takes at 960 bytes a second.
    const std::string data(249, 'x');
    const std::string file = m_dir.file("a.dat");
    WriteBytes(file, data);
    EXPECT_EQ(Run({"send", file}, true), "\r通信の準備が出来ました\x1b[K"
                                         "\r  100 バイト送信済み  40% 残り 0:01\x1b[K"
                                         "\r  200 バイト送信済み  80% 残り 0:01\x1b[K"
                                         "\r送信が完了しました\x1b[K\n");
    EXPECT_EQ(m_pty.Read(250), data + "\x1a");
    EXPECT_EQ(Run({"send", file}, false), "");
    EXPECT_EQ(m_pty.Read(250).size(), 250u);

    m_pty.Write("ab\x1a");
    const std::string out = m_dir.file("in.dat");
    EXPECT_EQ(Run({"receive", "--data", "-o", out}, true), "\r通信の準備が出来ました\x1b[K"
                                                           "\r    1 バイト受信済み\x1b[K"
                                                           "\r    2 バイト受信済み\x1b[K"
                                                           "\r    3 バイト受信済み\x1b[K"
                                                           "\r受信が完了しました\x1b[K\n");
    EXPECT_EQ(ReadBytes(out), "ab");
}

TEST_F(CliTransferOnPty, WarnsOfBytesTheLineCannotCarryAndSendsThemAll) {
    const std::string file = m_dir.file("a.dat");
    WriteBytes(file, "A\x13\x82\x60");
    EXPECT_EQ(Run({"send", file, "--flow", "xon"}, false),
              file + ": 警告: テキストにバイト 0x11 か 0x13 があります。本体はこれをデータではなく "
                     "Xon/Xoff のフロー制御として受け取ります。残すには --flow rts か none "
                     "で送信してください\n");
    EXPECT_EQ(m_pty.Read(5), "A\x13\x82\x60\x1a");
    EXPECT_EQ(Run({"send", file, "--data-bits", "7"}, false),
              file + ": 警告: テキストに 0x7f より大きいバイトがあります。データビット 7 "
                     "では最上位ビットが失われます\n");
    EXPECT_EQ(m_pty.Read(5).size(), 5u);
    // An end code inside the text would cut the send: it is refused first.
    WriteBytes(file, "A\x1a\x13\xff");
    EXPECT_EQ(Run({"send", file, "--flow", "xon", "--data-bits", "7"}, false, kExitFailure),
              file + ":1:2: " + std::string(LoadString(IDS_END_CODE_INSIDE)) + "\n");
}

TEST_F(CliTransferOnPty, APortThatWontOpenLeavesNoProgressLine) {
    const std::string file = m_dir.file("a.dat");
    WriteBytes(file, "A");
    m_pty.path = m_dir.file("ttyNone");
    EXPECT_EQ(Run({"send", file}, true, kExitFailure),
              "\r通信の準備が出来ました\x1b[K\r\x1b[K" + m_pty.path +
                  ": COMポートを開けません。 (" + SystemReason(ENOENT) + ")\n  " + m_pty.path +
                  " はありません。\n"
                  "  "
                  "シリアルポートが1つも見つかりません。ケーブルとアダプタの接続、アダプタのドライ"
                  "バを確認"
                  "してください。\n");
}

TEST_F(CliTransferOnPty, ReceiveTimeoutEndsASilentLineAndKeepsWhatCame) {
    using namespace std::chrono_literals;
    const std::string out = m_dir.file("in.txt");
    // Nothing comes: it ends on time and writes nothing.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({"receive", "-o", out, "--timeout", "0.3", "--lang", "en"}, false, kExitTimedOut),
              out + ": receive gave up: no byte came for 0.3 s (--timeout) before any byte "
                    "arrived; nothing written\n");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 1500ms);
    EXPECT_FALSE(std::filesystem::exists(out));

    // The device stops half way: what came is stored. The time counts from
    // the last byte.
    std::atomic<bool> done{false};
    std::thread device([&] {
        m_pty.Write("10 A\r\n");
        std::this_thread::sleep_for(200ms);
        m_pty.Write("20");
        done = true;
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({"receive", "-o", out, "--timeout", "0.3"}, false, kExitTimedOut),
              out + ": 0.3 s の間 1 バイトも届かなかったので、受信をあきらめました（--timeout）。"
                    "8 バイト届いた後でした。受信したデータは保存しました\n");
    took = std::chrono::steady_clock::now() - start;
    device.join();
    EXPECT_GE(took, 500ms);
    EXPECT_EQ(ReadBytes(out), "10 A\r\n20");

    // A timeout no longer than the stall report's wait: the give-up is the
    // one report, never a "still waiting" beside it.
    m_pty.Write("10 A\r\n");
    EXPECT_EQ(Run({"receive", "-o", out, "--timeout", "2"}, false, kExitTimedOut),
              out + ": 2 s の間 1 バイトも届かなかったので、受信をあきらめました（--timeout）。"
                    "6 バイト届いた後でした。受信したデータは保存しました\n");
}

TEST_F(CliTransferOnPty, ASendThatCannotGoOnSaysSoOnceAndAgainWhenItMoves) {
    using namespace std::chrono_literals;
    // The device stops the line with Xoff a moment after the send began,
    // and lets it go on after the report.
    std::string data;
    for (int i = 0; data.size() < 1500; ++i)
        data += "10 PRINT " + std::to_string(i) + "\r\n";
    const std::string file = m_dir.file("a.dat");
    WriteBytes(file, data);
    StringOutput err(false);
    int status = -1;
    std::thread cli([&] {
        status = RunWith({"send", file, "--flow", "xon", "--char-delay", "1"}, err);
    });
    std::this_thread::sleep_for(300ms);
    m_pty.Write("\x13");
    std::string received = m_pty.Read(data.size(), 500);
    std::this_thread::sleep_for(kStallReportAfter + 500ms);
    EXPECT_EQ(m_pty.Read(1, 0), ""); // held
    m_pty.Write("\x11");
    received += m_pty.Read(data.size() + 1 - received.size(), 10000);
    cli.join();
    EXPECT_EQ(status, kExitOk);
    EXPECT_EQ(received, data + "\x1a");
    const std::string device = m_pty.path + ": ";
    EXPECT_EQ(err.Text(), device +
                              "回線が止まっています。2 秒間、1バイトも送れていません。本体が受信"
                              "していないか、フロー制御が回線を止めています（ケーブルと --flow "
                              "を確認してください）。送信を続けます。Ctrl-C で中止します\n" +
                              device + "回線が再び動き始めました\n");
}

TEST_F(CliTransferOnPty, AFailingWorkerIsReportedWithItsReason) {
    // A read that throws: a fault no error code reports.
    sys::Calls calls = sys::RealCalls();
    calls.read = [](int, void*, std::size_t) -> ssize_t {
        throw std::runtime_error("driver fault");
    };
    const sys::Calls* previous = sys::InstallCalls(&calls);
    const std::string err = Run({"receive", "-o", m_dir.file("in.txt")}, true, kExitFailure);
    sys::InstallCalls(previous);
    EXPECT_EQ(err,
              "\r通信の準備が出来ました\x1b[K\n" + m_pty.path +
                  ": 受信が途中で止まりました (driver fault)。1 バイトも届く前でした。何も書き込"
                  "んでいません\n");
}

// The files in `folder`, none when it does not exist.
std::set<std::filesystem::path> Files(const std::string& folder) {
    std::set<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        files.insert(entry.path());
    return files;
}

// Standard error on a terminal, with Ctrl-C pressed as its first line shows.
class CtrlCAtTheFirstLine final : public ConsoleOutput {
public:
    FileError Write(std::string_view bytes) override {
        if (m_text.empty())
            ::raise(SIGINT);
        m_text += bytes;
        return {};
    }
    bool IsTerminal() const override { return true; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// Opens of the port counted, and Ctrl-C pressed as a file takes its place.
std::string g_port;
std::atomic<int> g_portOpens{0};

sys::Calls WatchedCalls() {
    sys::Calls calls = sys::RealCalls();
    calls.open = [](const char* path, int flags, mode_t mode) {
        g_portOpens += path == g_port ? 1 : 0;
        return sys::RealCalls().open(path, flags, mode);
    };
    calls.rename = [](const char* from, const char* to) {
        ::raise(SIGINT);
        return sys::RealCalls().rename(from, to);
    };
    return calls;
}

TEST_F(CliTransferOnPty, CtrlCExitsWith130WhateverWasKept) {
    g_port = m_pty.path;
    g_portOpens = 0;
    const sys::Calls calls = WatchedCalls();
    const test::ScopedCalls scoped(calls);

    // While the send gets ready: the port is not even opened.
    const std::string file = m_dir.file("a.dat");
    WriteBytes(file, "AB");
    CtrlCAtTheFirstLine err;
    EXPECT_EQ(RunWith({"send", file}, err), 130);
    EXPECT_EQ(g_portOpens, 0);
    EXPECT_EQ(err.Text(),
              "\r通信の準備が出来ました\x1b[K\n" + file +
                  ": 送信を中断しました。本体はテキストの一部を受信しているかもしれません\n");

    // While the receive writes its file: the file is whole, the status 130.
    m_pty.Write("ab\x1a");
    const std::string out = m_dir.file("in.dat");
    EXPECT_EQ(
        Run({"receive", "--data", "-o", out}, false, 130),
        out +
            ": 受信は中断されましたが、テキストはすべて届いていました（3 バイト）。保存しました\n");
    EXPECT_EQ(g_portOpens, 1);
    EXPECT_EQ(ReadBytes(out), "ab");
}

TEST_F(CliTransferOnPty, AnOutputItCannotWriteCostsNoTransferAndLosesNoBytes) {
    const std::string state = m_dir.file("state");
    const ScopedEnv stateHome("XDG_STATE_HOME", state.c_str());
    const std::string file = m_dir.file("file");
    WriteBytes(file, "");
    m_pty.Write("10 A\r\n\x1a");

    // Refused before the port opens: the device's bytes wait for the next try.
    const struct {
        std::string output;
        std::string_view fault; // a call that fails with EACCES
        std::string reason;
    } refused[] = {
        {m_dir.file("nodir/x.bas"), "", SystemReason(ENOENT)},
        {file + "/x.bas", "", "Not a directory"},
        {m_dir.path(), "", "Is a directory"},
        {m_dir.file("x.bas"), "access", SystemReason(EACCES)}, // a folder the user may not write
        {file, "access", SystemReason(EACCES)},
    };
    for (const auto& c : refused) {
        const test::ScopedFileFaults faults({.call = c.fault, .error = EACCES});
        EXPECT_EQ(Run({"receive", "-o", c.output}, false, kExitFailure),
                  c.output + ": " + c.reason + "\n");
        EXPECT_EQ(Unread(), 7) << c.output;
    }

    // Writing fails all the same: the bytes go to the state folder, which
    // is made as needed, and the message names the file they went to.
    const std::string home = m_dir.file("home");
    const struct {
        const char* stateHome; // null: unset
        const char* home;
        std::vector<std::string> options;
        std::string folder;  // where they are kept
        std::string failure; // else why they could not be
    } cases[] = {
        {state.c_str(), home.c_str(), {}, state + "/tessel", ""},
        {state.c_str(), home.c_str(), {"--data"}, state + "/tessel", ""}, // beside the first
        {nullptr, home.c_str(), {}, home + "/.local/state/tessel", ""},
        {"relative/state", home.c_str(), {}, home + "/.local/state/tessel", ""},
        {file.c_str(), home.c_str(), {}, "", file + "/tessel: Not a directory"},
        {nullptr,
         nullptr,
         {},
         "",
         "XDG_STATE_HOME も HOME も設定されていないため、置き場所のフォルダーがありません"},
    };
    for (const auto& c : cases) {
        const ScopedEnv stateSetting("XDG_STATE_HOME", c.stateHome);
        const ScopedEnv homeSetting("HOME", c.home);
        if (&c != &cases[0]) // the first takes what waits from above
            m_pty.Write("10 A\r\n\x1a");
        std::vector<std::string> args = {"receive", "-o", "/dev/full"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const std::set<std::filesystem::path> before = Files(c.folder);
        const std::string err = Run(args, false, kExitFailure);
        std::vector<std::filesystem::path> kept;
        for (const auto& path : Files(c.folder))
            if (!before.contains(path))
                kept.push_back(path);
        const std::string problem = "/dev/full: " + SystemReason(ENOSPC) + "。受信したデータは";
        if (!c.failure.empty()) {
            EXPECT_EQ(err, problem + "別のファイルにも保存できませんでした（" + c.failure + "）\n");
            continue;
        }
        ASSERT_EQ(kept.size(), 1u) << c.folder;
        EXPECT_EQ(err, problem + " " + kept[0].string() + " に保存しました\n");
        EXPECT_EQ(kept[0].extension(), c.options.empty() ? ".txt" : ".dat");
        EXPECT_EQ(ReadBytes(kept[0]), "10 A\r\n");
    }
}

// With --encoding utf-8 a send puts the device's own bytes on the wire, and a
// receive writes UTF-8; what cannot be UTF-8 is kept as it came.
TEST_F(CliTransferOnPty, Utf8FilesTravelAsCodePage932) {
    const std::string program = m_dir.file("a.bas");
    WriteBytes(program, "10 PRINT \"\xE3\x81\x82\xEF\xBD\xB1\"\n");
    EXPECT_EQ(Run({"send", program, "--encoding", "utf-8"}, false), "");
    EXPECT_EQ(m_pty.Read(19), "10 PRINT \"\x82\xa0\xb1\"\r\n\x1a");

    const std::string out = m_dir.file("in.bas");
    m_pty.Write("10 \x82\xa0\r\n\x1a");
    EXPECT_EQ(Run({"receive", "-o", out, "--encoding", "utf-8"}, false), "");
    EXPECT_EQ(ReadBytes(out), "10 \xE3\x81\x82\r\n");

    const std::string state = m_dir.file("state");
    const ScopedEnv stateHome("XDG_STATE_HOME", state.c_str());
    const std::string bad = m_dir.file("bad.bas");
    m_pty.Write("10 A\r\n20 \x80\r\n\x1a");
    const std::string err = Run({"receive", "-o", bad, "--encoding", "utf-8"}, false, kExitFailure);
    const std::string problem = bad +
                                ":2: バイト 0x80 はコードページ 932 の文字ではないため、UTF-8 "
                                "で書き出せません。--encoding cp932 で書き出してください。"
                                "受信したデータは " +
                                state + "/tessel/";
    EXPECT_EQ(err.substr(0, problem.size()), problem);
    EXPECT_FALSE(std::filesystem::exists(bad));
    const std::size_t at = err.find(state);
    const std::string kept = err.substr(at, err.find(" に保存しました\n") - at);
    EXPECT_EQ(ReadBytes(kept), "10 A\r\n20 \x80\r\n");
}

} // namespace
} // namespace tessel::cli
