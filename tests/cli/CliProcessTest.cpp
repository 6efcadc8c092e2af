// The tessel-cli executable itself: exit status, standard streams, the
// settings file beside it.
// The same cases test the Windows build under Wine (support/CliProgram.h).

#include "res/StringTable.h"
#include "support/CliProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

extern char** environ;

namespace tessel::cli {
namespace {

using tessel::test::ReadBytes;
using tessel::test::WriteBytes;
using test::TempDir;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` with standard output going to `stdoutPath` (a file in
// `dir` unless given), standard error to a file in `dir`, and standard input
// from `stdinPath` (or /dev/null).
Result Spawn(const TempDir& dir, const std::string& program, std::vector<std::string> args,
             std::string stdoutPath = {}, const std::string& stdinPath = "/dev/null") {
    const bool captureOut = stdoutPath.empty();
    if (captureOut)
        stdoutPath = dir.file("stdout");
    const std::string errPath = dir.file("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    args = test::CliCommandLine(program, std::move(args));
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    Result result;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int wstatus = 0;
        ::waitpid(pid, &wstatus, 0);
        result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (captureOut)
        result.out = ReadBytes(stdoutPath);
    result.err = ReadBytes(errPath);
    return result;
}

class CliProcess : public ::testing::Test {
protected:
    Result Run(std::vector<std::string> args, std::string stdoutPath = {},
               const std::string& stdinPath = "/dev/null") {
        return Spawn(m_dir, test::CliProgram(), std::move(args), std::move(stdoutPath), stdinPath);
    }
    // A copy of the program under test in `folder` of the test's own, named
    // `name` and the program's extension.
    std::string CopyProgram(const std::string& folder, const std::string& name) {
        const std::filesystem::path from = test::CliProgram();
        std::filesystem::create_directories(m_dir.file(folder));
        const std::string program = m_dir.file(folder + "/" + name + from.extension().string());
        std::filesystem::copy_file(from, program);
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        return program;
    }
    TempDir m_dir;
};

TEST_F(CliProcess, StandardOutputGetsTheBytesExactly) {
    const std::string data = "A\r\n\x82\x60\r\xff\n";
    WriteBytes(m_dir.file("d.dat"), data);
    Result r = Run({"number", m_dir.file("d.dat")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, data);
    EXPECT_EQ(r.err, "");

    // "-" reads standard input.
    r = Run({"number", "--type=data", "-"}, {}, m_dir.file("d.dat"));
    EXPECT_EQ(r.out, data);
}

TEST_F(CliProcess, StandardInputCutAtANulIsRefusedToo) {
    WriteBytes(m_dir.file("in"), std::string("10 A\r\n\0"
                                             "20 B\r\n",
                                             13));
    const Result r = Run({"wire", "--type=basic", "-"}, {}, m_dir.file("in"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "-: テキストがオフセット 6 の NUL バイトで終わり、その後の 6 バイトが失われ"
                     "ます。先に NUL バイトを削除してください\n");
}

// Standard input names itself in the warning's advice.
TEST_F(CliProcess, WarningsForStandardInputNameTidyOnIt) {
    WriteBytes(m_dir.file("in"), "  10 A\n  20 B\n");
    const Result r = Run({"check", "--type=basic", "-"}, {}, m_dir.file("in"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("'tessel-cli tidy -'"), std::string::npos) << r.err;
}

TEST_F(CliProcess, AFailedWriteToStandardOutputIsAnError) {
    WriteBytes(m_dir.file("a.bas"), "10 A\n");
    const Result r = Run({"sort", m_dir.file("a.bas")}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "標準出力: " + SystemReason(ENOSPC) + "\n");
}

TEST_F(CliProcess, HelpVersionAndUsage) {
    Result r = Run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Usage: tessel-cli COMMAND [OPTIONS] FILE"), std::string::npos);
    EXPECT_NE(r.out.find("\n  send"), std::string::npos);
    EXPECT_NE(r.out.find("\n  receive"), std::string::npos);
    for (const auto& args : {std::vector<std::string>{"renumber", "--help"},
                             std::vector<std::string>{"help", "renumber"}}) {
        r = Run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("--step N"), std::string::npos);
    }
    r = Run({"--version"});
    EXPECT_EQ(r.out.rfind("tessel-cli ", 0), 0u);

    r = Run({"renumber", "x.bas", "--new", "1x"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Usage: tessel-cli renumber"), std::string::npos);
}

// On Windows the settings are beside the program only, and --help names
// them as Windows writes paths.
TEST_F(CliProcess, WithoutTesselIniBesideItTheUsersOwnSettingsAreRead) {
    const std::string program = CopyProgram("bin", "tessel-cli");
    const std::string configHome = m_dir.file("config");
    const test::ScopedEnv config("XDG_CONFIG_HOME", configHome.c_str());
    std::filesystem::create_directories(m_dir.file("config/tessel"));
    WriteBytes(m_dir.file("config/tessel/tessel.INI"), "[LineNumber]\nStartLine=300\n");
    WriteBytes(m_dir.file("a.txt"), "A\n");
    Result r = Spawn(m_dir, program, {"number", m_dir.file("a.txt")});
    EXPECT_EQ(r.out, test::CliOnWindows() ? "10A\n" : "300A\n") << r.err;
    r = Spawn(m_dir, program, {"--help"});
    std::string shown =
        m_dir.file(test::CliOnWindows() ? "bin/tessel.INI" : "config/tessel/tessel.INI");
    if (test::CliOnWindows()) { // Wine's drive Z: is the root
        std::replace(shown.begin(), shown.end(), '/', '\\');
        shown.insert(0, "Z:");
    }
    EXPECT_NE(r.out.find("Settings file: " + shown + "\n"), std::string::npos) << r.out;
    // A portable copy beside the program wins.
    WriteBytes(m_dir.file("bin/tessel.INI"), "[LineNumber]\nStartLine=40\n");
    r = Spawn(m_dir, program, {"number", m_dir.file("a.txt")});
    EXPECT_EQ(r.out, "40A\n");
}

TEST_F(CliProcess, ReadsTesselIniBesideTheExecutable) {
    const std::string program = CopyProgram(".", "tessel-cli");
    WriteBytes(m_dir.file("tessel.INI"), "[LineNumber]\nStartLine=500\nStep=1\n");
    WriteBytes(m_dir.file("tessel-cli.INI"), "[LineNumber]\nStartLine=7\n");
    WriteBytes(m_dir.file("a.txt"), "A\nB\n");
    const Result r = Spawn(m_dir, program, {"number", m_dir.file("a.txt")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "500A\n501B\n");
}

// The messages' language: the locale, the settings file's "Misc"/"Language"
// over it, --lang over both. Nothing else changes: not the exit status, not
// the FILE:LINE: form.
TEST_F(CliProcess, MessagesSpeakTheLanguageOfTheLocaleTheSettingsOrTheOption) {
    WriteBytes(m_dir.file("r.bas"), "10 GOTO 100\r\n20 END\r\n");
    WriteBytes(m_dir.file("en.ini"), "[Misc]\r\nLanguage=en\r\n");
    const std::string file = m_dir.file("r.bas");
    const std::string english =
        file + ":1: The program refers to a line number that does not exist.\n";
    const std::string japanese = file + ":1: プログラム中で参照している行番号が存在しません。\n";
    const struct {
        const char* lang;
        std::vector<std::string> options;
        const std::string& expected;
    } cases[] = {
        {"en_US.UTF-8", {}, english},
        {"ja_JP.UTF-8", {}, japanese},
        {"C", {}, japanese},
        {"ja_JP.UTF-8", {"--settings", m_dir.file("en.ini")}, english},
        {"en_US.UTF-8", {"--lang", "ja"}, japanese},
        {"ja_JP.UTF-8", {"--settings", m_dir.file("en.ini"), "--lang=ja"}, japanese},
    };
    // LANG alone speaks for the locale here (the Windows suite runs with LC_ALL).
    const test::ScopedEnv language("LANGUAGE", nullptr), all("LC_ALL", nullptr),
        messages("LC_MESSAGES", nullptr);
    for (const auto& c : cases) {
        const test::ScopedEnv lang("LANG", c.lang);
        std::vector<std::string> args = {"renumber", file};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = Run(args);
        EXPECT_EQ(r.status, 1) << c.lang;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.expected) << c.lang;
    }
    // A usage error too, in the language the command line chose before its
    // fault (none here: the C locale's Japanese); the usage line stays English.
    {
        const test::ScopedEnv lang("LANG", "C");
        const Result ja = Run({"renumber", file, "--new", "1x"});
        EXPECT_EQ(ja.status, 2);
        EXPECT_EQ(ja.err.rfind("tessel-cli: --new の値 '1x' は使えません（1 から 65279 まで）\n"
                               "Usage: tessel-cli renumber ",
                               0),
                  0u)
            << ja.err;
        EXPECT_TRUE(ja.err.ends_with("\n詳しくは 'tessel-cli --help' を見てください。\n"));
        const Result en = Run({"renumber", "--lang=en", file, "--new", "1x"});
        EXPECT_NE(en.err.find("tessel-cli: invalid value '1x' for --new (1 to 65279)\n"),
                  std::string::npos)
            << en.err;
    }
    const test::ScopedEnv lang("LANG", "en_US.UTF-8");
    const Result wrong = Run({"renumber", "--lang", "fr", file});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("invalid value 'fr' for --lang (ja or en)"), std::string::npos);
}

TEST_F(CliProcess, FileNamesWithAnyCharacter) {
    const std::string name = m_dir.file("日本語 Ünï €.bas");
    WriteBytes(name, "20 B\r\n10 A\r\n");
    Result r = Run({"check", name});
    EXPECT_EQ(r.status, 0) << r.err;
    r = Run({"sort", name, "-o", m_dir.file("出力.bas")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(m_dir.file("出力.bas")), "10 A\r\n20 B\r\n");
    r = Run({"renumber", "--new", "100", "-i", name});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadBytes(name), "100 A\r\n110 B\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 4);
    r = Run({"check", m_dir.file("無い.bas")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, m_dir.file("無い.bas: ") + SystemReason(ENOENT) + "\n");
}

// The program under test and this build's own give the same bytes and exit
// statuses for the same files (on Linux both are the same program).
TEST_F(CliProcess, BothBuildsGiveTheSameBytesAndStatuses) {
    const struct {
        std::string name;
        std::string bytes;
    } files[] = {
        {"prog.bas", "30 END\r\n10 PRINT \"\x82\xa0\xb1\"\t:REM\r\n20 GOTO 10\r\n"},
        {"lf.bas", "110 A=1\n100 GOSUB 110\n120 RETURN\n"},
        {"bad.bas", "10 A\r\nB\r\n10 C\r\n"},
        {"data.txt", "1,2\t3\r\n\x82\xa0\r\nlast"},
    };
    const std::vector<std::vector<std::string>> commands = {
        {"number"},
        {"unnumber"},
        {"sort"},
        {"renumber", "--new", "1000", "--step", "5"},
        {"check"},
        {"wire"},
        {"wire", "--eol", "cr", "--eof", "04"},
        {"wire", "--data"},
        {"number", "--number-start", "7", "--type=data"},
    };
    for (const auto& file : files) {
        const std::string path = m_dir.file(file.name);
        WriteBytes(path, file.bytes);
        for (std::vector<std::string> args : commands) {
            args.insert(args.begin() + 1, path);
            const Result theirs = Run(args);
            const Result ours = Spawn(m_dir, TESSEL_CLI_PATH, args);
            const std::string what = file.name + ": " + args[0] + " " + args.back();
            EXPECT_EQ(theirs.status, ours.status) << what;
            EXPECT_EQ(theirs.out, ours.out) << what;
            EXPECT_EQ(theirs.err, ours.err) << what;
        }
        EXPECT_EQ(ReadBytes(path), file.bytes);
    }
}

// The language server as an editor runs it: messages framed on standard
// input and output, the log on standard error, the exit status saying
// whether shutdown came first.
using Json = nlohmann::json;

std::string Framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The messages of `output`, which must be frames and nothing else.
std::vector<Json> Frames(std::string output) {
    std::vector<Json> messages;
    while (!output.empty()) {
        const std::size_t end = output.find("\r\n\r\n");
        if (end == std::string::npos || output.rfind("Content-Length: ", 0) != 0) {
            ADD_FAILURE() << "not a frame: " << output.substr(0, 80);
            break;
        }
        const std::size_t length = std::stoul(output.substr(16, end - 16));
        messages.push_back(Json::parse(output.substr(end + 4, length)));
        output.erase(0, end + 4 + length);
    }
    return messages;
}

const std::string kInitialize =
    R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"processId":null,)"
    R"("capabilities":{"general":{"positionEncodings":["utf-8","utf-16"]}}}})";
const std::string kShutdown = R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})";
const std::string kExit = R"({"jsonrpc":"2.0","method":"exit"})";

TEST_F(CliProcess, LanguageServerEndsWithTheStatusOfItsLifecycle) {
    // Line ends inside a body are the client's: passed as they are, also
    // where the C runtime would make them text.
    const std::string open = "{\"jsonrpc\":\"2.0\",\r\n\"method\":\"textDocument/didOpen\","
                             "\"params\":{\"textDocument\":{\"uri\":\"file:///a.bas\","
                             "\"languageId\":\"basic\",\"version\":1,\"text\":\"10 END\\r\\n\"}}}";
    const struct {
        std::vector<std::string> bodies;
        int status;
        std::size_t answers;
    } sessions[] = {
        {{kInitialize, open, kShutdown, kExit}, 0, 2},
        {{kInitialize, kExit}, 1, 1},                       // exit without shutdown
        {{kInitialize, open}, 1, 1},                        // the input ends without shutdown
        {{kInitialize, kShutdown}, 0, 2},                   // shutdown, then the input ends
        {{"{", "[]", kInitialize, kShutdown, kExit}, 0, 4}, // not JSON, not a message
        {{}, 1, 0},
    };
    for (const auto& session : sessions) {
        std::string input;
        for (const std::string& body : session.bodies)
            input += Framed(body);
        input += "Content-Length: 5\r\n\r\n[]"; // cut short: never read after exit
        WriteBytes(m_dir.file("in"), input);
        const Result r = Run({"lsp"}, {}, m_dir.file("in"));
        EXPECT_EQ(r.status, session.status) << input;
        const std::vector<Json> answers = Frames(r.out);
        ASSERT_EQ(answers.size(), session.answers) << r.out;
        if (session.answers >= 2) {
            const Json& init = answers[answers.size() - 2];
            EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-8");
            EXPECT_EQ(answers.back(), Json({{"jsonrpc", "2.0"}, {"id", 2}, {"result", nullptr}}));
        }
    }
    const Result usage = Run({"lsp", "a.bas"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "");
}

// A session over pipes, each answer awaited before the next message: the
// problems of a document come from the server's worker after a pause,
// through the same standard output as the answers; a request about the
// document is answered after them.
TEST_F(CliProcess, LanguageServerPublishesProblemsWhileItAnswers) {
    int toServer[2];
    int fromServer[2];
    ASSERT_EQ(::pipe(toServer), 0);
    ASSERT_EQ(::pipe(fromServer), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toServer[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromServer[1], 1);
    const std::string errPath = m_dir.file("stderr");
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    for (const int fd : {toServer[0], toServer[1], fromServer[0], fromServer[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<std::string> args = test::CliCommandLine(test::CliProgram(), {"lsp"});
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toServer[0]);
    ::close(fromServer[1]);

    std::string received;
    const auto send = [&](const std::string& body) {
        const std::string frame = Framed(body);
        ASSERT_EQ(::write(toServer[1], frame.data(), frame.size()),
                  static_cast<ssize_t>(frame.size()));
    };
    // The next message, waiting up to 20 s (Wine starts slowly).
    const auto next = [&]() -> Json {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            const std::size_t end = received.find("\r\n\r\n");
            if (end != std::string::npos) {
                const std::size_t length = std::stoul(received.substr(16, end - 16));
                if (received.size() >= end + 4 + length) {
                    Json message = Json::parse(received.substr(end + 4, length));
                    received.erase(0, end + 4 + length);
                    return message;
                }
            }
            pollfd p{fromServer[0], POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            char buffer[4096];
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return nullptr;
            const ssize_t n = ::read(fromServer[0], buffer, sizeof buffer);
            if (n <= 0)
                return nullptr;
            received.append(buffer, static_cast<std::size_t>(n));
        }
    };

    send(kInitialize);
    EXPECT_EQ(next()["id"], 1);
    send(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
         R"({"uri":"file:///a.bas","languageId":"basic","version":1,)"
         R"("text":"10 PRINT \"😀\":GOTO 20\r\n20 END\r\n"}}})");
    const Json published = next();
    EXPECT_EQ(published["method"], "textDocument/publishDiagnostics");
    const Json& problems = published["params"]["diagnostics"];
    ASSERT_EQ(problems.size(), 1u) << published.dump();
    // After the emoji: ten bytes of ASCII and four of the emoji in UTF-8.
    EXPECT_EQ(problems[0]["range"]["end"], Json({{"line", 0}, {"character", 14}}));
    // From the reference after the emoji to the line it names.
    send(R"({"jsonrpc":"2.0","id":3,"method":"textDocument/definition","params":)"
         R"({"textDocument":{"uri":"file:///a.bas"},"position":{"line":0,"character":21}}})");
    const Json definition = next();
    EXPECT_EQ(definition["id"], 3);
    EXPECT_EQ(definition["result"]["range"]["start"], Json({{"line", 1}, {"character", 0}}));
    send(kShutdown);
    EXPECT_EQ(next()["id"], 2);
    send(kExit);
    ::close(toServer[1]);
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    ::close(fromServer[0]);
    EXPECT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(WEXITSTATUS(wstatus), 0);
    EXPECT_EQ(received, "");
}

// Neovim's own client, headless, with the server attached to a program: the
// problem it shows, where going to a definition takes the cursor, and the
// renumbering it applies from the server's code action, which must leave the
// file as tessel-cli renumber writes it (the start and step of the settings
// file the server was given).
TEST_F(CliProcess, NeovimShowsProblemsGoesToTheLineAReferenceNamesAndRenumbers) {
    if (test::CliOnWindows() || std::system("command -v nvim >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs Neovim and the build's own tessel-cli";
    WriteBytes(m_dir.file("game.bas"), "10 GOTO 30\r\n\r\n30 END\r\n");
    const std::string program = "30 PRINT \"ｵﾜﾘ\"\r\n10 GOTO 30\r\n20 GOSUB 10:GOTO 20\r\n";
    WriteBytes(m_dir.file("order.bas"), program);
    WriteBytes(m_dir.file("tessel.INI"), "[LineNumber]\r\nStartLine=100\r\nStep=5\r\n");
    const std::string script = R"(
local cli, file, out, order, ini = [[)" +
                               std::string(TESSEL_CLI_PATH) + "]], [[" + m_dir.file("game.bas") +
                               "]], [[" + m_dir.file("seen") + "]], [[" + m_dir.file("order.bas") +
                               "]], [[" + m_dir.file("tessel.INI") + R"(]]
local seen = {}
vim.cmd("edit " .. vim.fn.fnameescape(file))
local buffer = vim.api.nvim_get_current_buf()
local client = vim.lsp.start_client({name = "tessel", cmd = {cli, "lsp", "--settings", ini},
                                     root_dir = vim.fn.fnamemodify(file, ":h")})
vim.lsp.buf_attach_client(buffer, client)
vim.wait(20000, function() return #vim.diagnostic.get(buffer) > 0 end, 20)
for _, d in ipairs(vim.diagnostic.get(buffer)) do
  table.insert(seen, string.format("problem %d:%d severity %d", d.lnum, d.col, d.severity))
end
vim.api.nvim_win_set_cursor(0, {1, 8})
vim.lsp.buf.definition()
vim.wait(20000, function() return vim.api.nvim_win_get_cursor(0)[1] ~= 1 end, 20)
local at = vim.api.nvim_win_get_cursor(0)
table.insert(seen, string.format("cursor %d:%d", at[1], at[2]))
-- The program out of order: the first action over the whole program is
-- the renumbering; the person picks it from the list the client shows.
vim.cmd("edit " .. vim.fn.fnameescape(order))
vim.lsp.buf_attach_client(vim.api.nvim_get_current_buf(), client)
local applied = false
vim.ui.select = function(items, opts, choose)
  for i, item in ipairs(items) do
    local action = item.action or item[2]
    if action.kind == "source" then
      table.insert(seen, "chose " .. action.kind)
      choose(item, i)
      applied = true
      return
    end
  end
  choose(nil, nil)
  applied = true
end
vim.lsp.buf.code_action()
vim.wait(20000, function() return applied end, 20)
vim.cmd("write")
vim.fn.writefile(seen, out)
vim.lsp.stop_client(client)
vim.cmd("qa!")
)";
    WriteBytes(m_dir.file("drive.lua"), script);
    const Result r = Spawn(
        m_dir, "nvim",
        {"--headless", "--clean", "-i", "NONE", "-n", "-c", "luafile " + m_dir.file("drive.lua")});
    EXPECT_EQ(r.status, 0) << r.err;
    // The blank line is an error; the cursor goes from the 30 after GOTO to
    // the start of line 30 (rows from 1, columns from 0).
    EXPECT_EQ(ReadBytes(m_dir.file("seen")), "problem 1:0 severity 1\ncursor 3:0\nchose source\n");
    WriteBytes(m_dir.file("original.bas"), program);
    const Result renumbered =
        Spawn(m_dir, TESSEL_CLI_PATH,
              {"renumber", "--settings", m_dir.file("tessel.INI"), "--new", "100", "--step", "5",
               "--encoding", "utf-8", m_dir.file("original.bas")});
    ASSERT_EQ(renumbered.status, 0) << renumbered.err;
    EXPECT_EQ(renumbered.out, "100 GOTO 110\r\n105 GOSUB 100:GOTO 105\r\n110 PRINT \"ｵﾜﾘ\"\r\n");
    EXPECT_EQ(ReadBytes(m_dir.file("order.bas")), renumbered.out);
}

} // namespace
} // namespace tessel::cli
