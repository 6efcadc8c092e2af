// tessel-cli: the desktop program's file tools on the command line.

#include "cli/CliCommands.h"
#include "sys/Platform.h"

#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    using namespace tessel::cli;
    const std::vector<std::string> arguments = tessel::sys::ProgramArguments(argc, argv);
    const std::vector<std::string_view> args(arguments.begin(), arguments.end());
    FdOutput out(1);
    FdOutput err(2);
    CliContext context{out, err, DefaultSettingsPath()};
    return RunCommandLine(args, context);
}
