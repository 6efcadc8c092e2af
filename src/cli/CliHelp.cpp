#include "cli/CliHelp.h"

#include "settings/SettingRange.h"
#include "sys/Platform.h"

#include <utility>

#ifndef TESSEL_VERSION
#define TESSEL_VERSION "unknown"
#endif

namespace tessel::cli {
namespace {

// The words of each command's help; which options it lists come from the
// command's options (OptionsOf).
struct CommandHelpText {
    Command command;
    std::string_view synopsis; // after "tessel-cli "
    std::string_view summary;  // one line for the tool's help
    std::string_view details;  // the command's own help, before the options
};

constexpr std::string_view kPortsOnWindows =
    "Lists the COM ports the system knows, one a line, in number order. Seven\n"
    "fields, separated by a tab; all but the last are free of blanks; an empty one\n"
    "reads '-':\n"
    "\n"
    "  1 PATH         the name to give --port (COM5)\n"
    "  2 DEVICE       the device it is (\\Device\\Serial0)\n"
    "  3 COM          the ports of the settings that stand for it (COM1,COM3)\n"
    "  4 ACCESS       rw: Windows tells whether a port opens only by opening it\n"
    "  5 USB-ID       vendor:product of a USB adapter (0403:6001)\n"
    "  6 DRIVER       the driver service (Serial, usbser, FTDIBUS)\n"
    "  7 DESCRIPTION  the product name the device manager gives\n"
    "\n"
    "With no port it writes nothing, says so on standard error and exits with 0.\n";

constexpr CommandHelpText kHelp[] = {
    {Command::Number, "number [OPTIONS] FILE", "write FILE with line numbers",
     "Writes FILE with its line numbers. A file that has none (its first byte is\n"
     "not a digit) is numbered first, from --number-start in steps of --number-step.\n"
     "DATA files are written as they are.\n"},
    {Command::Unnumber, "unnumber [OPTIONS] FILE", "write FILE without line numbers",
     "Writes FILE without its line numbers: the digits that start each line are\n"
     "removed. A file that has no line numbers is written as it is, and so are\n"
     "DATA files.\n"},
    {Command::Sort, "sort [OPTIONS] FILE", "order the lines by number",
     "Writes the lines of FILE in line-number order. Each line keeps its text;\n"
     "every line then ends in CR LF. Two lines with the same number are an error.\n"
     "The file keeps or lacks its numbers as it did, unless --numbers or\n"
     "--no-numbers says otherwise.\n"},
    {Command::Renumber, "renumber [--new N] [--old N] [--step N] [OPTIONS] FILE",
     "give the lines new numbers",
     "Gives the line numbered --old and every line after it new numbers, starting\n"
     "at --new and --step apart, and writes the lines in number order. In BASIC\n"
     "files the numbers that GOTO, GOSUB, THEN, ELSE and RESTORE refer to follow\n"
     "their lines. Nothing changes when any number would leave 1 to 65279, when\n"
     "the lines would change their order, or when a reference names a missing line.\n"
     "\n"
     "      --new N           the first new number, 1 to 65279 (default 10)\n"
     "      --old N           the line to start from, 1 to 65279 (default: the\n"
     "                        first line, so the whole program is renumbered)\n"
     "      --step N          the step, {step-range} (default 10)\n"},
    {Command::Tidy, "tidy [OPTIONS] FILE", "make a program as shared into one the device takes",
     "Makes a line-numbered program as people share it into one the device takes:\n"
     "removes empty lines and lines of only blanks and tabs, removes the blanks and\n"
     "tabs before a line's number and the end-of-file mark ^Z after the last line,\n"
     "and with --encoding utf-8 converts the text to code page 932 (the result is\n"
     "written in code page 932; without it, UTF-8 is warned of). No other byte of a\n"
     "line changes, nor any line end. Standard error gets one line for each kind\n"
     "of change (\"removed 14 blank lines\"), nothing when nothing changed. A file\n"
     "whose first line, tidied, begins with no digit has no numbers: only its\n"
     "encoding is converted. Refused, with nothing written, when a line would\n"
     "still have no number or a character has no code in code page 932.\n"},
    {Command::Check, "check [--max N] [OPTIONS] FILE", "list every problem a send would meet",
     "Lists every problem of FILE, one a line on standard error in file order,\n"
     "FILE:LINE:COLUMN: message (columns in bytes): the errors a send refuses (a\n"
     "line over 254 bytes after tab expansion, without a number or with one\n"
     "outside 1 to 65279, a number twice, an end-of-text code inside the text),\n"
     "warnings (a GOTO, GOSUB, THEN, ELSE or RESTORE naming a line there is not,\n"
     "which renumbering refuses; a byte that is no character of code page 932) and\n"
     "notes (a line out of number order, which a send sorts). The error a send\n"
     "stops at comes first among the errors, as FILE:LINE: message. Exits with 1\n"
     "when there is an error, else 0 (an empty file too). It warns besides when\n"
     "FILE looks like UTF-8, or is taken as having no numbers although its lines\n"
     "begin with blanks and a number, and says how tidy fixes it.\n"
     "\n"
     "      --max N             list no more than N problems, 1 to 1000000, and say\n"
     "                          how many more there are\n"},
    {Command::Xref, "xref [--json] [OPTIONS] FILE", "list who refers to which line",
     "Writes the cross-reference listing of a BASIC program on standard output,\n"
     "one record a line, five fields separated by a tab (cut -f and awk split\n"
     "them):\n"
     "\n"
     "  line      TARGET HOW FROM PLACE   a reference to an existing line\n"
     "  missing   TARGET HOW FROM PLACE   a reference to a line there is not\n"
     "  label     *NAME  defined|used FROM PLACE\n"
     "  variable  NAME   set|read FROM PLACE\n"
     "\n"
     "HOW is GOTO, GOSUB, THEN, ELSE or RESTORE (ON ... GOTO and GOSUB lists too),\n"
     "FROM the number of the line it stands in ('-' for none), PLACE its\n"
     "LINE:COLUMN in FILE. References come by the line they name, then in file\n"
     "order; labels and variables by name, each in file order.\n"},
    {Command::Wire, "wire [OPTIONS] FILE", "write the bytes a send puts on the wire",
     "Writes the bytes that sending FILE puts on the wire: tabs expanded, the\n"
     "device's line ends and the end-of-text code. A line-numbered file is first\n"
     "checked as check does, then sent in number order with its numbers. An empty\n"
     "file has nothing to send (exit status 1).\n"},
    {Command::Send, "send [OPTIONS] FILE", "send FILE to the device over the serial port",
     "Sends FILE to the device over the serial port, as the desktop program does:\n"
     "a line-numbered file is first checked as check does, then goes in number\n"
     "order with its numbers; tabs are expanded, lines end as the device wants, and\n"
     "one end-of-text code ends the text (wire shows the bytes). While standard\n"
     "error is a terminal, one line shows the bytes sent, the share and the time\n"
     "left. Ctrl-C stops the send at once; the device may then hold part of it.\n"
     "It warns as check does when FILE looks like UTF-8 or has indented numbers.\n"
     "\n"
     "With --flow xon the bytes 0x11 and 0x13 are flow-control codes: they cannot\n"
     "be sent as data (a warning says so). The device's serial port has no buffer;\n"
     "when it loses bytes without flow control, --char-delay and --line-delay give\n"
     "it time.\n"},
    {Command::Receive, "receive [OPTIONS] [--data] -o FILE",
     "receive a text, or with --data a DATA file, from the device",
     "Receives from the device over the serial port up to the end-of-text code and\n"
     "writes FILE as the desktop program saves a received document: the device's\n"
     "line ends become CR LF and the end code is left out; a text is stored as it\n"
     "came, with or without line numbers. '-o -' writes to standard output. While\n"
     "standard error is a terminal, one line shows the bytes received. Ctrl-C stops\n"
     "the receive and stores what arrived; when nothing did, nothing is written.\n"
     "When FILE cannot be written, what arrived is kept in $XDG_STATE_HOME/tessel.\n"
     "With --flow xon the bytes 0x11 and 0x13 cannot arrive as data.\n"
     "\n"
     "With --timeout, it gives up once no byte has come for that long, before the\n"
     "first byte or between two, stores what arrived as Ctrl-C does and exits with\n"
     "124. When the device stops for 2 s half way, a line says so, and another when\n"
     "it goes on; a send says the same when no byte could go out for 2 s.\n"
     "\n"
     "  -o, --output FILE       the file to write ('-': standard output)\n"
     "      --data              receive a DATA file rather than a text\n"
     "      --timeout SECONDS   give up after SECONDS without a byte (such as 10 or\n"
     "                          0.5; default: wait until Ctrl-C)\n"},
    {Command::Ports, "ports [--json] [--settings FILE]", "list the serial ports there are",
     "Lists the serial ports of this machine, one a line: first the stable names\n"
     "in /dev/serial/by-id (the name to give --port, as it stays the same whichever\n"
     "socket the adapter is in), then the ttyUSB, ttyACM, rfcomm and ttyS devices\n"
     "no stable name stands for (ttyS only with a UART behind it). Seven fields,\n"
     "separated by a tab; all but the last are free of blanks, so cut -f and awk\n"
     "split them; an empty one reads '-':\n"
     "\n"
     "  1 PATH         the name to open\n"
     "  2 DEVICE       the device it is (/dev/ttyUSB0)\n"
     "  3 COM          the ports of the settings that stand for it (COM1,COM3)\n"
     "  4 ACCESS       rw when this user may open it, else no (see docs/serial.md)\n"
     "  5 USB-ID       vendor:product of a USB adapter (0403:6001)\n"
     "  6 DRIVER       the kernel driver (ftdi_sio, ch341, cp210x, cdc_acm)\n"
     "  7 DESCRIPTION  maker and product name, as the adapter gives them\n"
     "\n"
     "With no port it writes nothing, says so on standard error and exits with 0.\n"},
    {Command::Lsp, "lsp [--settings FILE]",
     "serve an editor as a language server on standard input and output",
     "Runs a language server for BASIC programs (the Language Server Protocol,\n"
     "3.17) for an editor, which starts it and talks to it through its standard\n"
     "input and output: JSON-RPC messages, each after a Content-Length header.\n"
     "Standard output carries nothing but those messages; the server's log goes to\n"
     "standard error. The editor sends its documents in UTF-8; the server holds\n"
     "them as code page 932, the device's character set, and reports each\n"
     "character that has no code there as an error. Positions count UTF-16 code\n"
     "units, or UTF-8 bytes when the editor offers them. Its code actions renumber,\n"
     "sort and tidy the program as those commands do; renumbering starts at the\n"
     "settings file's [LineNumber] StartLine, Step apart. The command tessel.send\n"
     "sends a document as send does, over the settings file's port.\n"},
};

const CommandHelpText* Find(Command command) {
    for (const CommandHelpText& help : kHelp)
        if (help.command == command)
            return &help;
    return nullptr;
}

constexpr std::string_view kWriteOptions =
    "  -o, --output FILE       write the result to FILE (default, and '-': standard\n"
    "                          output)\n"
    "  -i, --in-place          replace FILE with the result\n";

constexpr std::string_view kNumbersOptions =
    "      --numbers           write line numbers into the result\n"
    "      --no-numbers        leave line numbers out of the result\n";

constexpr std::string_view kWireOutputOptions =
    "  -o, --output FILE       write the bytes to FILE (default, and '-': standard\n"
    "                          output)\n";

constexpr std::string_view kNumberingOptions =
    "      --number-start N    first number given to a file without numbers,\n"
    "                          {start-range} ({start-setting})\n"
    "      --number-step N     step between those numbers, {step-range}\n"
    "                          ({step-setting})\n";

constexpr std::string_view kTabOption =
    "      --tab N             tab width, {tab-range} ({tab-setting})\n";

constexpr std::string_view kLineEndOptions =
    "      --eol cr|lf|crlf    the device's line end (settings COMPORT/EndOfLine,\n"
    "                          crlf)\n"
    "      --eof HEX           the end-of-text code, one or two hexadecimal digits\n"
    "                          (settings COMPORT/EndOfFile, 1a)\n";

constexpr std::string_view kPortOption =
    sys::kWindows ? "      --port COMn         the COM port, any number (COM1 to COM4 as the\n"
                    "                          settings choose them: settings COMPORT/COMPort,\n"
                    "                          COM1; COMn is COMPORT/Device<n>, else COMn itself)\n"
                  : "      --port DEV          the serial device, or COM1 to COM4 as the settings\n"
                    "                          choose them (settings COMPORT/COMPort, COM1; COMn\n"
                    "                          is COMPORT/Device<n>, else /dev/ttyUSB<n-1>)\n";

constexpr std::string_view kSerialOptions =
    "      --baud N            300, 600, 1200, 2400, 4800 or 9600 bit/s\n"
    "                          (settings COMPORT/BaudRate, 1200)\n"
    "      --data-bits 7|8     (settings COMPORT/DataBit, 8)\n"
    "      --stop-bits 1|2     (settings COMPORT/StopBit, 1)\n"
    "      --parity none|even|odd\n"
    "                          (settings COMPORT/Parity, none)\n"
    "      --flow xon|rts|none flow control: Xon/Xoff, RTS/CTS or none\n"
    "                          (settings COMPORT/FlowControl, rts)\n"
    "      --char-delay MS     pause after each byte sent, 0 to 1000 ms\n"
    "                          (settings COMPORT/CharDelay, 0)\n"
    "      --line-delay MS     pause after each line end sent, 0 to 1000 ms\n"
    "                          (settings COMPORT/LineDelay, 0)\n";

constexpr std::string_view kTypeOption =
    "      --type KIND         handle FILE as basic, c, asm, casl, text or data\n"
    "                          (default: by its extension .bas .c .asm .cas .txt\n"
    "                          .dat, any other: basic)\n";

constexpr std::string_view kEncodingOption =
    "      --encoding cp932|utf-8\n"
    "                          how FILE is encoded (default cp932, the device's\n"
    "                          own); utf-8 is converted to code page 932 when\n"
    "                          read and back when written\n";

constexpr std::string_view kXrefJsonOption =
    "      --json              a JSON object instead, with the arrays lines (number,\n"
    "                          line, references), missing, labels and variables\n"
    "                          (name, uses); each reference or use has how, from\n"
    "                          (null for none), line and column\n";

constexpr std::string_view kJsonOption =
    "      --json              a JSON array of objects instead, with the keys path,\n"
    "                          device, com (an array), openable (true or false),\n"
    "                          vendor_id, product_id, manufacturer, product,\n"
    "                          serial, driver and description (\"\" when unknown)\n";

// Windows has the settings beside the program only.
constexpr std::string_view kSettingsOption =
    sys::kWindows ? "      --settings FILE     read the settings from FILE instead of tessel.INI\n"
                    "                          beside this program\n"
                  : "      --settings FILE     read the settings from FILE instead of tessel.INI\n"
                    "                          beside this program, or else\n"
                    "                          ~/.config/tessel/tessel.INI\n";

constexpr std::string_view kCommonOptions =
    "      --lang ja|en        the language of the messages (settings Misc/Language;\n"
    "                          default: the locale's, Japanese for C and POSIX)\n"
    "  -h, --help              show this help\n";

constexpr std::string_view kExitStatus =
    "Exit status: 0 done, 1 the file could not be processed (a message names the\n"
    "file and, where a line is at fault, the line), 2 a usage error.\n";

constexpr std::string_view kServerExitStatus =
    "Exit status: 0 when the editor asked for shutdown and then exit, 1 when it\n"
    "asked for exit without shutdown or its input ended first, 2 a usage error.\n";

constexpr std::string_view kTransferExitStatus =
    sys::kWindows ? "send and receive also exit with 1 when the port cannot be opened or the line\n"
                    "fails, and with 130 when Ctrl-C or Ctrl-Break stopped the transfer; receive\n"
                    "exits with 124 when it gave up waiting for a byte.\n"
                  : "send and receive also exit with 1 when the port cannot be opened or the line\n"
                    "fails, with 130 when Ctrl-C stopped the transfer, and with 143 when SIGTERM\n"
                    "did; receive exits with 124 when it gave up waiting for a byte.\n";

// Where a receive keeps what it could not write, as the receive's help names it.
constexpr std::string_view kStateFolder = "$XDG_STATE_HOME/tessel";
constexpr std::string_view kStateFolderOnWindows = "%LOCALAPPDATA%\\tessel";

// The values an option takes that the settings file keeps too, and where it
// keeps them: the help names them as the settings read them.
struct SettingWords {
    std::string_view name; // "{name-range}", "{name-setting}" in the help
    const NumberSetting& setting;
};
constexpr SettingWords kSettingWords[] = {
    {"start", kStartLineSetting},
    {"step", kLineStepSetting},
    {"tab", kTabStopSetting},
};

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

// The help as this system has it, with the settings' ranges and defaults: on
// Windows the state folder is its own.
std::string ForThisSystem(std::string text) {
    for (const SettingWords& words : kSettingWords) {
        const NumberSetting& s = words.setting;
        const std::string name(words.name);
        ReplaceAll(text, "{" + name + "-range}",
                   std::to_string(s.min) + " to " + std::to_string(s.max));
        ReplaceAll(text, "{" + name + "-setting}",
                   std::string("settings ") + s.section + "/" + s.key + ", " +
                       std::to_string(s.fallback));
    }
    if (sys::kWindows)
        if (const std::size_t at = text.find(kStateFolder); at != std::string::npos)
            text.replace(at, kStateFolder.size(), kStateFolderOnWindows);
    return text;
}

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
    text += kWriteOptions;
    text += kNumbersOptions;
    text += kNumberingOptions;
    text += kTabOption;
    text += kLineEndOptions;
    text += kPortOption;
    text += kSerialOptions;
    text += kTypeOption;
    text += kEncodingOption;
    text += kSettingsOption;
    text += kCommonOptions;
    text += "      --version           show the version\n\n"
            "renumber also takes --new, --old and --step; see 'tessel-cli help renumber'.\n"
            "receive takes --data and --timeout; see 'tessel-cli help receive'.\n"
            "check takes --max; see 'tessel-cli help check'.\n"
            "xref and ports take --json; see 'tessel-cli help xref'.\n"
            "Options override the settings file, which overrides the defaults.\n\n";
    text += kExitStatus;
    text += kTransferExitStatus;
    return ForThisSystem(std::move(text));
}

std::string CommandHelp(Command command) {
    const CommandHelpText* help = Find(command);
    if (!help)
        return ToolHelp();
    const CommandOptions& takes = OptionsOf(command);
    std::string text = UsageLine(command);
    text += '\n';
    // Windows lists its COM ports its own way.
    text += command == Command::Ports && sys::kWindows ? kPortsOnWindows : help->details;
    text += "\nOptions:\n";
    if (takes.output == Output::Document || takes.output == Output::Text)
        text += kWriteOptions;
    if (takes.output == Output::Document)
        text += kNumbersOptions;
    else if (takes.output == Output::Bytes)
        text += kWireOutputOptions;
    if (takes.numbering)
        text += kNumberingOptions;
    if (takes.sends)
        text += kTabOption;
    if (takes.sends || takes.serial)
        text += kLineEndOptions;
    if (takes.serial) {
        text += kPortOption;
        text += kSerialOptions;
    }
    if (takes.type)
        text += kTypeOption;
    if (!takes.listing && !takes.serves)
        text += kEncodingOption;
    if (takes.listing)
        text += kJsonOption;
    if (takes.lists)
        text += kXrefJsonOption;
    text += kSettingsOption;
    text += kCommonOptions;
    text += '\n';
    text += takes.serves ? kServerExitStatus : kExitStatus;
    if (takes.serial)
        text += kTransferExitStatus;
    return ForThisSystem(std::move(text));
}

std::string VersionText() {
    return "tessel-cli " TESSEL_VERSION "\n";
}

} // namespace tessel::cli
