#pragma once

// Running tessel-cli: from the arguments to the exit status, with standard
// output and standard error behind a small interface so that tests can run
// the tool in-process.

#include "cli/CliOptions.h"
#include "comm/PortDiscovery.h"
#include "sys/FileIo.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {
struct AppSettings;
}

namespace tessel::cli {

// receive --timeout gave up: 124, as timeout(1) exits.
enum ExitStatus : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2, kExitTimedOut = 124 };
// A transfer stopped by a signal exits with this plus the signal's number
// (130 for Ctrl-C), as a shell reports a command the signal ended.
inline constexpr int kExitSignalBase = 128;

// Where bytes go: standard output or standard error.
class IOutput {
public:
    virtual ~IOutput() = default;
    // Writes all of `bytes`; false, or why it failed.
    virtual FileError Write(std::string_view bytes) = 0;
    // Whether a person watches it: a progress line is worth showing.
    virtual bool IsTerminal() const { return false; }
};

// A file descriptor, written with write(2) as it is (no buffering, no
// conversion), retried on EINTR. A Windows console is the exception: it gets
// ConsoleText() of the bytes, so that it shows them whatever its code page.
class FdOutput final : public IOutput {
public:
    explicit FdOutput(int fd) : m_fd(fd) {}
    FileError Write(std::string_view bytes) override;
    bool IsTerminal() const override;

private:
    int m_fd;
};

// Bytes written to standard output or standard error as a console shows
// them: UTF-8 when they are valid UTF-8 (the tool's own messages), else code
// page 932 (a document's text); line ends as they are, and a byte that
// starts no character as the editor marks it.
std::u16string ConsoleText(std::string_view bytes);

// Collects everything written, for tests; it can pass for a terminal.
class StringOutput final : public IOutput {
public:
    explicit StringOutput(bool terminal = false) : m_terminal(terminal) {}
    FileError Write(std::string_view bytes) override {
        m_text += bytes;
        return {};
    }
    bool IsTerminal() const override { return m_terminal; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    bool m_terminal;
};

struct CliContext {
    IOutput& out;
    IOutput& err;
    // The settings file read without --settings.
    std::string defaultSettingsPath;
    // Where ports and the explanations of a port that will not open look.
    SystemRoots roots{};
};

// tessel.INI beside the running executable: the desktop program's file.
std::string DefaultSettingsPath();

// Parses the arguments (without the program name), runs the command and
// returns the exit status.
// The language of this run's messages: --lang, else the settings file's
// "Misc"/"Language", else the locale's.
Language CliLanguage(const CliOptions& options, const std::string& defaultPath);

int RunCommandLine(std::span<const std::string_view> args, CliContext& context);

// Runs a parsed command line that asks for a command on a file.
int RunCommand(const CliOptions& options, CliContext& context);

// The settings the command works with: the settings file (--settings, or
// `defaultPath`, which may be missing), then the options on top. False with
// `error` set when --settings names a file that cannot be read. Each value
// of the file that was out of its range, and so not used, gets one line in
// `warnings` ("FILE: warning: ...").
bool LoadCliSettings(const CliOptions& options, const std::string& defaultPath,
                     AppSettings& settings, std::string& error, std::vector<std::string>& warnings);

} // namespace tessel::cli
