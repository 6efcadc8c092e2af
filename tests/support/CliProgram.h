#pragma once

// The tessel-cli that the process tests start. By default the build's own
// (TESSEL_CLI_PATH); scripts/test-windows.sh points TESSEL_CLI_PROGRAM at
// tessel-cli.exe and TESSEL_CLI_RUNNER at Wine, and the same cases then test
// the Windows build, with the build's own as the one to compare with.

#include <cstdlib>
#include <string>
#include <vector>

namespace tessel::test {

inline std::string CliProgram() {
    const char* program = std::getenv("TESSEL_CLI_PROGRAM");
    return program != nullptr && program[0] != '\0' ? program : TESSEL_CLI_PATH;
}

// What starts the program under test; empty when it starts itself.
inline std::string CliRunner() {
    const char* runner = std::getenv("TESSEL_CLI_RUNNER");
    return runner != nullptr ? runner : "";
}

// The Windows build runs under a runner (Wine).
inline bool CliOnWindows() {
    return !CliRunner().empty();
}

// The command line that runs `program` with `args`: through the runner
// unless it is the build's own.
inline std::vector<std::string> CliCommandLine(const std::string& program,
                                               std::vector<std::string> args) {
    args.insert(args.begin(), program);
    if (program != TESSEL_CLI_PATH && CliOnWindows())
        args.insert(args.begin(), CliRunner());
    return args;
}

} // namespace tessel::test
