// tessel-cli send and receive as processes, over a null-modem cable made of
// two pseudo-terminals joined by socat: the tool opens one end, the test
// plays the device on the other. The Windows build under Wine
// (support/CliProgram.h) opens COM5, which the test maps to the tool's end.

#include "res/StringTable.h"
#include "support/CliProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tessel::cli {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr auto kTimeout = 5s; // only a failing test waits this long
const std::string kReady = "通信の準備が出来ました";
constexpr const char kWindowsPort[] = "COM5";

bool OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

pid_t Spawn(std::vector<std::string> args, const posix_spawn_file_actions_t& actions) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

// Waits for `pid` until `timeout`: its exit status, 128 + the signal that
// ended it, or -1 when it was still running (it is killed then).
int WaitFor(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int wstatus = 0;
        if (::waitpid(pid, &wstatus, WNOHANG) == pid)
            return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &wstatus, 0);
            return -1;
        }
        std::this_thread::sleep_for(2ms);
    }
}

// Reads what is there from a non-blocking descriptor, waiting up to
// `timeout` for the first bytes.
std::string ReadSome(int fd, std::chrono::milliseconds timeout) {
    pollfd p{fd, POLLIN, 0};
    std::string bytes;
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
        return bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    return bytes;
}

void MakeRaw(int fd) {
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
}

// socat joining two pseudo-terminals: Port() is the tool's end; the test
// writes and reads the device's end. Cut() pulls the cable out.
class NullModem {
public:
    explicit NullModem(const TempDir& dir)
        : m_port(dir.file("ttyA" + std::to_string(s_count))),
          m_device(dir.file("ttyB" + std::to_string(s_count++))) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        m_pid = Spawn({"socat", "pty,raw,echo=0,link=" + m_port, "pty,raw,echo=0,link=" + m_device},
                      actions);
        posix_spawn_file_actions_destroy(&actions);
        const auto deadline = Clock::now() + kTimeout;
        while (m_pid > 0 && Clock::now() < deadline) {
            struct stat st {};
            if (::stat(m_port.c_str(), &st) == 0 &&
                (m_fd = ::open(m_device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) >= 0)
                break;
            std::this_thread::sleep_for(2ms);
        }
        if (m_fd >= 0)
            MakeRaw(m_fd);
    }
    ~NullModem() {
        Cut();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    NullModem(const NullModem&) = delete;
    NullModem& operator=(const NullModem&) = delete;

    bool ok() const { return m_fd >= 0; }
    const std::string& Port() const { return m_port; }

    void Write(const std::string& bytes) const {
        EXPECT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the device received up to and including `end`, or until
    // `timeout` passed.
    std::string ReadUntil(char end, std::chrono::milliseconds timeout = kTimeout) const {
        const auto deadline = Clock::now() + timeout;
        std::string bytes;
        while (bytes.find(end) == std::string::npos && Clock::now() < deadline)
            bytes += tessel::cli::ReadSome(
                m_fd, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()));
        return bytes;
    }
    std::string ReadSome(std::chrono::milliseconds timeout) const {
        return tessel::cli::ReadSome(m_fd, timeout);
    }
    void Cut() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    static inline int s_count = 0; // each cable's ends get names of their own

    std::string m_port;
    std::string m_device;
    pid_t m_pid = -1;
    int m_fd = -1;
};

// tessel-cli as a child process. Its standard error is a terminal (a
// pseudo-terminal the test reads) or a file.
class CliChild {
public:
    CliChild(const TempDir& dir, std::vector<std::string> args, bool terminal,
             const std::string& program = test::CliProgram())
        : m_errPath(dir.file("stderr")) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, dir.file("stdout").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int slave = -1;
        if (terminal && ::openpty(&m_terminal, &slave, nullptr, nullptr, nullptr) == 0) {
            MakeRaw(slave); // the bytes as written, no "\n" to "\r\n"
            ::fcntl(m_terminal, F_SETFL, O_NONBLOCK);
            posix_spawn_file_actions_adddup2(&actions, slave, 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        m_pid = Spawn(test::CliCommandLine(program, std::move(args)), actions);
        posix_spawn_file_actions_destroy(&actions);
        if (slave >= 0)
            ::close(slave);
        EXPECT_GT(m_pid, 0);
    }
    ~CliChild() {
        if (m_pid > 0)
            WaitFor(m_pid, 0ms);
        if (m_terminal >= 0)
            ::close(m_terminal);
    }
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;

    // Whether the terminal has shown `text` within the time-out.
    bool Shows(const std::string& text) {
        const auto deadline = Clock::now() + kTimeout;
        while (m_err.find(text) == std::string::npos && Clock::now() < deadline)
            m_err += ReadSome(m_terminal, 10ms);
        return m_err.find(text) != std::string::npos;
    }
    void Signal(int signal) const { ::kill(m_pid, signal); }
    // The exit status, or -1 when the process did not end in time.
    int Wait(std::chrono::milliseconds timeout = kTimeout) {
        const int status = WaitFor(m_pid, timeout);
        m_pid = -1;
        return status;
    }
    // Everything on standard error; after Wait().
    std::string Err() {
        if (m_terminal < 0)
            return ReadBytes(m_errPath);
        m_err += ReadSome(m_terminal, 0ms);
        return m_err;
    }

private:
    std::string m_errPath;
    int m_terminal = -1;
    pid_t m_pid = -1;
    std::string m_err;
};

// Whether the terminal showed `text`. A Windows console (Wine's, on the
// test's pseudo-terminal) breaks long lines and moves its cursor with
// sequences of its own: there the words count, not the line breaks.
bool Showed(std::string shown, std::string text) {
    if (test::CliOnWindows()) {
        for (std::string* bytes : {&shown, &text}) {
            std::string words;
            for (std::size_t i = 0; i < bytes->size(); ++i) {
                const char c = (*bytes)[i];
                if (c == '\x1b') {
                    while (i + 1 < bytes->size() &&
                           !std::isalpha(static_cast<unsigned char>((*bytes)[i + 1])))
                        ++i;
                    ++i;
                } else if (c != '\n' && c != '\r') {
                    words += c;
                }
            }
            *bytes = words;
        }
    }
    return shown.find(text) != std::string::npos;
}

class CliTransferProcess : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OnPath("socat"))
            GTEST_SKIP() << "socat is not installed";
        ASSERT_TRUE(m_dir.ok());
    }

    // tessel-cli with `args` on the null modem's port.
    std::unique_ptr<CliChild> Start(const NullModem& modem, std::vector<std::string> args,
                                    bool terminal = false,
                                    const std::string& program = test::CliProgram()) {
        args.push_back("--port");
        args.push_back(program == TESSEL_CLI_PATH ? modem.Port() : PortName(modem));
        return std::make_unique<CliChild>(m_dir, std::move(args), terminal, program);
    }

    // The name the program under test knows the modem's port by. Wine maps
    // COM5 to the device its prefix's dosdevices/com5 links to.
    static std::string PortName(const NullModem& modem) {
        if (!test::CliOnWindows())
            return modem.Port();
        const char* prefix = std::getenv("WINEPREFIX");
        const std::filesystem::path link =
            std::filesystem::path(prefix != nullptr ? prefix : "") / "dosdevices" / "com5";
        std::error_code error;
        std::filesystem::remove(link, error);
        std::filesystem::create_symlink(modem.Port(), link, error);
        EXPECT_FALSE(error) << link << ": " << error.message();
        return kWindowsPort;
    }

    TempDir m_dir;
};

TEST_F(CliTransferProcess, SendPutsTheProgramOnTheWireInNumberOrderForEachLineEnd) {
    const std::string program = m_dir.file("prog.bas");
    WriteBytes(program, "30 END\n10 PRINT\t\"A\"\n20 GOTO 10\n");
    NullModem modem(m_dir);
    ASSERT_TRUE(modem.ok());
    for (const auto& [eol, end] :
         {std::pair<std::string, std::string>{"cr", "\r"}, {"lf", "\n"}, {"crlf", "\r\n"}}) {
        auto cli = Start(modem, {"send", program, "--eol", eol});
        EXPECT_EQ(modem.ReadUntil('\x1a'),
                  "10 PRINT    \"A\"" + end + "20 GOTO 10" + end + "30 END" + end + "\x1a")
            << eol;
        EXPECT_EQ(cli->Wait(), 0) << cli->Err();
        EXPECT_EQ(cli->Err(), "");
        EXPECT_EQ(modem.ReadSome(50ms), ""); // one end code, then nothing
    }
}

TEST_F(CliTransferProcess, ReceiveStoresTheTextOrTheDataAsItCame) {
    const std::string out = m_dir.file("in.txt");
    const struct {
        std::vector<std::string> args;
        std::string wire;
        std::string stored;
    } cases[] = {
        // Numbered on receipt and stored without the numbers: every line as
        // it came, "2 eggs" and "10 apples" included.
        {{"--eol", "lf"},
         "Items\n2 eggs\n\n10 apples\n\x1a",
         "Items\r\n2 eggs\r\n\r\n10 apples\r\n"},
        {{"--eol", "cr"}, "10 PRINT\r20 END\r\x1a", "10 PRINT\r\n20 END\r\n"},
        {{"--data"}, "1,2\r\n\x82\xa0\xff\r\n\x1a", "1,2\r\n\x82\xa0\xff\r\n"},
        {{"--data", "--eof", "04"}, "A\x1a\x04", "A\x1a"},
    };
    WriteBytes(out, "an older file");
    NullModem modem(m_dir);
    ASSERT_TRUE(modem.ok());
    for (const auto& c : cases) {
        modem.Write(c.wire);
        std::vector<std::string> args = {"receive", "-o", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto cli = Start(modem, args);
        EXPECT_EQ(cli->Wait(), 0) << cli->Err();
        EXPECT_EQ(cli->Err(), "");
        EXPECT_EQ(ReadBytes(out), c.stored) << c.wire;
    }

    // "-o -": standard output.
    modem.Write("A\r\nB\x1a");
    auto cli = Start(modem, {"receive", "--data", "-o", "-"});
    EXPECT_EQ(cli->Wait(), 0) << cli->Err();
    EXPECT_EQ(ReadBytes(m_dir.file("stdout")), "A\r\nB");
}

TEST_F(CliTransferProcess, CtrlCStopsTheTransferAndExitsWith130) {
    NullModem modem(m_dir);
    ASSERT_TRUE(modem.ok());
    const std::string out = m_dir.file("in.txt");

    // A receive keeps what arrived.
    modem.Write("10 A\r\n20");
    auto cli = Start(modem, {"receive", "-o", out}, true);
    ASSERT_TRUE(cli->Shows("    8 バイト受信済み"));
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(), 130);
    EXPECT_EQ(ReadBytes(out), "10 A\r\n20");
    EXPECT_TRUE(Showed(cli->Err(), "\x1b[K\n" + out +
                                       ": 受信を中断しました。8 バイト届いた後でした。"
                                       "受信したデータは保存しました\n"))
        << cli->Err();

    // Nothing arrived: nothing is written. SIGTERM is taken the same way.
    std::filesystem::remove(out);
    for (const int signal : {SIGINT, SIGTERM}) {
        if (signal == SIGTERM && test::CliOnWindows())
            continue; // Windows has no such signal
        cli = Start(modem, {"receive", "-o", out}, true);
        ASSERT_TRUE(cli->Shows(kReady));
        cli->Signal(signal);
        EXPECT_EQ(cli->Wait(), 128 + signal);
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_TRUE(Showed(cli->Err(), out + ": 受信を中断しました。1 バイトも届く前でした。"
                                             "何も書き込んでいません\n"))
            << cli->Err();
    }

    // A send stops at once: the end code never goes.
    const std::string program = m_dir.file("prog.bas");
    WriteBytes(program, "10 A\n20 B\n30 C\n40 D\n50 E\n60 F\n");
    cli = Start(modem, {"send", program, "--char-delay", "20"}, true);
    ASSERT_TRUE(cli->Shows("    5 バイト送信済み"));
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(), 130);
    EXPECT_TRUE(Showed(cli->Err(), program + ": 送信を中断しました。")) << cli->Err();
    EXPECT_EQ(modem.ReadUntil('\x1a', 100ms).find('\x1a'), std::string::npos);
}

TEST_F(CliTransferProcess, ReceiveTimeoutExitsWith124KeepingWhatCame) {
    NullModem modem(m_dir);
    ASSERT_TRUE(modem.ok());
    const std::string out = m_dir.file("in.txt");
    auto cli = Start(modem, {"receive", "-o", out, "--timeout", "0.5"});
    EXPECT_EQ(cli->Wait(), 124);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(cli->Err(), out + ": 0.5 s の間 1 バイトも届かなかったので、受信をあきらめました"
                                "（--timeout）。1 バイトも届く前でした。何も書き込んでいません\n");

    modem.Write("10 A\r\n");
    cli = Start(modem, {"receive", "-o", out, "--timeout", "0.5"});
    EXPECT_EQ(cli->Wait(), 124);
    EXPECT_EQ(ReadBytes(out), "10 A\r\n");
}

TEST_F(CliTransferProcess, APortThatCannotBeOpenedIsNamedWithTheReason) {
    // No device: on Windows a COM port Wine maps to nothing.
    const std::string port = test::CliOnWindows() ? "COM77" : m_dir.file("ttyNone");
    const std::string program = m_dir.file("prog.bas");
    WriteBytes(program, "10 END\n");
    const std::string out = m_dir.file("in.txt");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"send", program}, {"receive", "-o", out}}) {
        std::vector<std::string> withPort = args;
        withPort.insert(withPort.end(), {"--port", port});
        CliChild cli(m_dir, withPort, false);
        EXPECT_EQ(cli.Wait(), 1);
        const std::string said = port + ": COMポートを開けません。 (";
        if (test::CliOnWindows()) { // the system's reason, in the user's language
            EXPECT_EQ(cli.Err().rfind(said, 0), 0u) << cli.Err();
            EXPECT_GT(cli.Err().size(), said.size() + 3) << cli.Err();
            EXPECT_EQ(cli.Err().back(), '\n');
        } else {
            // What follows lists this machine's ports, or says there are none.
            EXPECT_EQ(cli.Err().rfind(said + SystemReason(ENOENT) + ")\n  ", 0), 0u) << cli.Err();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliTransferProcess, TheOtherEndGoingAwayEndsTheTransferWithStatus1) {
    const std::string out = m_dir.file("in.txt");
    {
        NullModem modem(m_dir);
        ASSERT_TRUE(modem.ok());
        modem.Write("abc");
        auto cli = Start(modem, {"receive", "-o", out}, true);
        ASSERT_TRUE(cli->Shows("    3 バイト受信済み"));
        modem.Cut();
        EXPECT_EQ(cli->Wait(), 1);
        EXPECT_EQ(ReadBytes(out), "abc");
        EXPECT_TRUE(Showed(cli->Err(), PortName(modem) + ": 受信が途中で止まりました"))
            << cli->Err();
    }
    NullModem modem(m_dir);
    ASSERT_TRUE(modem.ok());
    const std::string program = m_dir.file("prog.bas");
    WriteBytes(program, "10 A\n20 B\n30 C\n40 D\n50 E\n60 F\n");
    auto cli = Start(modem, {"send", program, "--char-delay", "20"}, true);
    ASSERT_TRUE(cli->Shows("    5 バイト送信済み"));
    modem.Cut();
    EXPECT_EQ(cli->Wait(), 1);
    EXPECT_TRUE(Showed(cli->Err(), PortName(modem) + ": 送信が途中で止まりました")) << cli->Err();
}

TEST_F(CliTransferProcess, AnOutputThatCannotTakeTheTextCostsNoTransferAndLosesNothing) {
    if (test::CliOnWindows()) {
        // The text cannot be UTF-8: it is kept in %LOCALAPPDATA%\tessel, and
        // the message names the file as Windows writes paths.
        NullModem modem(m_dir);
        ASSERT_TRUE(modem.ok());
        modem.Write("10 \x80\r\n\x1a");
        const std::string out = m_dir.file("u.bas");
        auto cli = Start(modem, {"receive", "--encoding", "utf-8", "-o", out});
        EXPECT_EQ(cli->Wait(), 1);
        const std::string said = "受信したデータは ";
        const std::size_t at = cli->Err().find(said);
        ASSERT_NE(at, std::string::npos) << cli->Err();
        std::string kept = cli->Err().substr(at + said.size());
        const std::size_t end = kept.find(" に保存しました\n");
        ASSERT_NE(end, std::string::npos) << cli->Err();
        kept.resize(end);
        EXPECT_EQ(kept.find('/'), std::string::npos) << kept;
        EXPECT_NE(kept.find("\\tessel\\received-"), std::string::npos) << kept;
        // C:\ is the prefix's drive_c.
        ASSERT_EQ(kept.rfind("C:\\", 0), 0u) << kept;
        std::replace(kept.begin(), kept.end(), '\\', '/');
        const char* prefix = std::getenv("WINEPREFIX");
        EXPECT_EQ(
            ReadBytes(std::string(prefix != nullptr ? prefix : "") + "/drive_c/" + kept.substr(3)),
            "10 \x80\r\n");
        return;
    }
    const std::string state = m_dir.file("state");
    const test::ScopedEnv stateHome("XDG_STATE_HOME", state.c_str());
    NullModem modem(m_dir);
    ASSERT_TRUE(modem.ok());
    modem.Write("10 A\r\n\x1a");

    // Refused before the port opens: the text waits on the line.
    const std::string missing = m_dir.file("nodir/x.bas");
    auto cli = Start(modem, {"receive", "-o", missing});
    EXPECT_EQ(cli->Wait(), 1);
    EXPECT_EQ(cli->Err(), missing + ": " + SystemReason(ENOENT) + "\n");

    // The write fails all the same: the text is kept, and the message says
    // where.
    cli = Start(modem, {"receive", "-o", "/dev/full"});
    EXPECT_EQ(cli->Wait(), 1);
    std::vector<std::string> kept;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(state + "/tessel", error))
        kept.push_back(entry.path().string());
    ASSERT_EQ(kept.size(), 1u) << cli->Err();
    EXPECT_EQ(cli->Err(), "/dev/full: " + SystemReason(ENOSPC) + "。受信したデータは " + kept[0] +
                              " に保存しました\n");
    EXPECT_EQ(ReadBytes(kept[0]), "10 A\r\n");
}

// The program under test and this build's own put the same bytes on the wire
// and store the same bytes from it, text and data, with and without flow
// control (on Linux both are the same program).
TEST_F(CliTransferProcess, BothBuildsPutTheSameBytesOnTheWireAndStoreTheSameBytes) {
    const std::string program = m_dir.file("prog.bas");
    WriteBytes(program, "20 GOTO 10\n10 PRINT\t\"\x82\xa0\xb1\"\n");
    const std::string out = m_dir.file("in.txt");
    NullModem modem(m_dir);
    ASSERT_TRUE(modem.ok());
    const std::vector<std::vector<std::string>> options = {
        {"--flow", "none"},
        {"--flow", "rts", "--eol", "cr"},
        {"--flow", "xon", "--eol", "lf"},
        {"--data", "--flow", "rts"},
        {"--data", "--flow", "none", "--eof", "04"},
    };
    for (const std::vector<std::string>& option : options) {
        const char end = option.back() == "04" ? '\x04' : '\x1a';
        std::string sent[2];
        std::string stored[2];
        const std::string programs[2] = {TESSEL_CLI_PATH, test::CliProgram()};
        for (int i = 0; i < 2; ++i) {
            // A send knows a data file by its type.
            std::vector<std::string> args = {"send", program};
            for (const std::string& word : option)
                args.push_back(word == "--data" ? "--type=data" : word);
            auto cli = Start(modem, args, false, programs[i]);
            sent[i] = modem.ReadUntil(end);
            EXPECT_EQ(cli->Wait(), 0) << cli->Err();
            sent[i] += modem.ReadSome(50ms);

            modem.Write(std::string("10 A\r\n\x82\xa0\t\xff\r\n") + end);
            args = {"receive", "-o", out};
            args.insert(args.end(), option.begin(), option.end());
            cli = Start(modem, args, false, programs[i]);
            EXPECT_EQ(cli->Wait(), 0) << cli->Err();
            stored[i] = ReadBytes(out);
        }
        EXPECT_EQ(sent[1], sent[0]) << option[1];
        EXPECT_EQ(stored[1], stored[0]) << option[1];
        EXPECT_NE(sent[0].find('\xb1'), std::string::npos) << option[1];
    }
}

} // namespace
} // namespace tessel::cli
