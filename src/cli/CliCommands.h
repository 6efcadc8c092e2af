#pragma once

// Running tessel-cli: from the arguments to the exit status, with standard
// output and standard error behind a small interface so that tests can run
// the tool in-process.

#include "cli/CliConsole.h"
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

struct CliContext {
    ConsoleOutput& out;
    ConsoleOutput& err;
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
