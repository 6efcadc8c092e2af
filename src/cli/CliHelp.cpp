#include "cli/CliHelp.h"

#ifndef TESSEL_VERSION
#define TESSEL_VERSION "unknown"
#endif

namespace tessel::cli {
namespace {

struct CommandHelpText {
    Command command;
    std::string_view synopsis; // after "tessel-cli "
    std::string_view summary;  // one line for the tool's help
    std::string_view details;  // the command's own help, before the options
    bool writesFile;           // takes -o, -i, --numbers
    bool numbers;              // takes --number-start, --number-step
    bool sends;                // takes --tab, --eol, --eof
};

constexpr CommandHelpText kHelp[] = {
    {Command::Number, "number [OPTIONS] FILE", "write FILE with line numbers",
     "Writes FILE with its line numbers. A file that has none (its first byte is\n"
     "not a digit) is numbered first, from --number-start in steps of --number-step.\n"
     "DATA files are written as they are.\n",
     true, true, false},
    {Command::Unnumber, "unnumber [OPTIONS] FILE", "write FILE without line numbers",
     "Writes FILE without its line numbers: the digits that start each line are\n"
     "removed. A file that has no line numbers is written as it is, and so are\n"
     "DATA files.\n",
     true, true, false},
    {Command::Sort, "sort [OPTIONS] FILE", "order the lines by number",
     "Writes the lines of FILE in line-number order. Each line keeps its text;\n"
     "every line then ends in CR LF. Two lines with the same number are an error.\n"
     "The file keeps or lacks its numbers as it did, unless --numbers or\n"
     "--no-numbers says otherwise.\n",
     true, true, false},
    {Command::Renumber, "renumber [--new N] [--old N] [--step N] [OPTIONS] FILE",
     "give the lines new numbers",
     "Gives the line numbered --old and every line after it new numbers, starting\n"
     "at --new and --step apart, and writes the lines in number order. In BASIC\n"
     "files the numbers that GOTO, GOSUB, THEN, ELSE and RESTORE refer to follow\n"
     "their lines. Nothing changes when any number would leave 1 to 65279, when\n"
     "the lines would change their order, or when a reference names a missing line.\n"
     "\n"
     "      --new N           the first new number, 1 to 65279 (default 10)\n"
     "      --old N           the line to start from, 1 to 65279 (default 10)\n"
     "      --step N          the step, 1 to 65278 (default 10)\n",
     true, true, false},
    {Command::Check, "check [OPTIONS] FILE", "run the checks of a send, without sending",
     "Runs the checks that sending FILE runs: every line at most 254 bytes after\n"
     "tab expansion, then every line numbered 1 to 65279 and no number twice.\n"
     "Prints nothing and exits with 0 when FILE could be sent; an empty file is\n"
     "fine.\n",
     false, true, true},
    {Command::Wire, "wire [OPTIONS] FILE", "write the bytes a send puts on the wire",
     "Writes the bytes that sending FILE puts on the wire: tabs expanded, the\n"
     "device's line ends and the end-of-text code. A line-numbered file is first\n"
     "checked as check does, then sent in number order with its numbers. The\n"
     "transfer stops after the first end-of-text code, so nothing after it is\n"
     "written. An empty file has nothing to send (exit status 1).\n",
     true, true, true},
};

const CommandHelpText* Find(Command command) {
    for (const CommandHelpText& help : kHelp)
        if (help.command == command)
            return &help;
    return nullptr;
}

constexpr std::string_view kOutputOptions =
    "  -o, --output FILE       write the result to FILE (default, and '-': standard\n"
    "                          output)\n"
    "  -i, --in-place          replace FILE with the result\n"
    "      --numbers           write line numbers into the result\n"
    "      --no-numbers        leave line numbers out of the result\n";

constexpr std::string_view kWireOutputOptions =
    "  -o, --output FILE       write the bytes to FILE (default, and '-': standard\n"
    "                          output)\n";

constexpr std::string_view kNumberingOptions =
    "      --number-start N    first number given to a file without numbers,\n"
    "                          1 to 65279 (settings LineNumber/StartLine, 10)\n"
    "      --number-step N     step between those numbers, 1 to 65278\n"
    "                          (settings LineNumber/Step, 10)\n";

constexpr std::string_view kSendOptions =
    "      --tab N             tab width, 1 to 10 (settings Edit/TabStop, 4)\n"
    "      --eol cr|lf|crlf    the device's line end (settings COMPORT/EndOfLine,\n"
    "                          crlf)\n"
    "      --eof HEX           the end-of-text code, one or two hexadecimal digits\n"
    "                          (settings COMPORT/EndOfFile, 1a)\n";

constexpr std::string_view kCommonOptions =
    "      --type KIND         handle FILE as basic, c, asm, casl, text or data\n"
    "                          (default: by its extension .bas .c .asm .cas .txt\n"
    "                          .dat, any other: basic)\n"
    "      --settings FILE     read the settings from FILE instead of tessel.INI\n"
    "                          beside this program\n"
    "  -h, --help              show this help\n";

constexpr std::string_view kExitStatus =
    "Exit status: 0 done, 1 the file could not be processed (a message names the\n"
    "file and, where a line is at fault, the line), 2 a usage error.\n";

} // namespace

std::string UsageLine(Command command) {
    const CommandHelpText* help = Find(command);
    std::string line = "Usage: tessel-cli ";
    line += help ? help->synopsis : "COMMAND [OPTIONS] FILE";
    line += '\n';
    return line;
}

std::string ToolHelp() {
    std::string text = UsageLine(Command::None);
    text += "\nWorks on the program and data files of the pocket computer the way the\n"
            "desktop program does. FILE '-' is standard input.\n\nCommands:\n";
    for (const CommandHelpText& help : kHelp) {
        std::string line = "  ";
        line += CommandName(help.command);
        line.resize(15, ' ');
        line += help.summary;
        text += line + '\n';
    }
    text += "  help COMMAND show the help of a command\n\nOptions:\n";
    text += kOutputOptions;
    text += kNumberingOptions;
    text += kSendOptions;
    text += kCommonOptions;
    text += "      --version           show the version\n\n"
            "renumber also takes --new, --old and --step; see 'tessel-cli help renumber'.\n"
            "Options override the settings file, which overrides the defaults.\n\n";
    text += kExitStatus;
    return text;
}

std::string CommandHelp(Command command) {
    const CommandHelpText* help = Find(command);
    if (!help)
        return ToolHelp();
    std::string text = UsageLine(command);
    text += '\n';
    text += help->details;
    text += "\nOptions:\n";
    if (help->command == Command::Wire)
        text += kWireOutputOptions;
    else if (help->writesFile)
        text += kOutputOptions;
    if (help->numbers)
        text += kNumberingOptions;
    if (help->sends)
        text += kSendOptions;
    text += kCommonOptions;
    text += '\n';
    text += kExitStatus;
    return text;
}

std::string VersionText() {
    return "tessel-cli " TESSEL_VERSION "\n";
}

} // namespace tessel::cli
