#pragma once

#include "cli/CliOptions.h"

#include <string>

namespace tessel::cli {

// "Usage: tessel-cli COMMAND [OPTIONS] FILE", or the line of one command.
std::string UsageLine(Command command);
// The tool's help: commands, options, exit status.
std::string ToolHelp();
// The help of one command, with the options that apply to it.
std::string CommandHelp(Command command);
std::string VersionText();

} // namespace tessel::cli
