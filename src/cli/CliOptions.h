#pragma once

// The command line of tessel-cli: GNU-style options in any order around the
// command and its file, "--" ending the options.

#include "doc/DocKind.h"
#include "encoding/TextEncoding.h"
#include "res/Language.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

enum class Command {
    None,
    Number,
    Unnumber,
    Sort,
    Renumber,
    Tidy,
    Check,
    Xref,
    Wire,
    Send,
    Receive,
    Ports,
    Lsp,
    Help,
};

// What the command line asked for. Options that were not given stay empty,
// so the settings file can supply them.
struct CliOptions {
    Command command = Command::None;
    // "help COMMAND": the command whose help is wanted.
    Command helpTopic = Command::None;
    std::string file;                  // the FILE operand; "-" is standard input
    std::optional<std::string> output; // -o; "-" is standard output
    bool inPlace = false;
    std::optional<DocKind> type;
    std::optional<bool> numbers; // --numbers / --no-numbers
    std::optional<unsigned> numberStart;
    std::optional<unsigned> numberStep;
    std::optional<unsigned> tab;
    std::optional<std::uint32_t> endOfLine; // an EndOfLineCode
    std::optional<std::uint32_t> endOfFile; // 0 to 255
    std::optional<std::string> settings;
    std::optional<Language> language; // --lang: the messages' language for this run
    std::optional<unsigned> newStart; // renumber --new
    std::optional<unsigned> oldStart; // renumber --old
    std::optional<unsigned> step;     // renumber --step
    // The serial line, for send and receive. The indices are those of the
    // settings (ComSettings).
    std::optional<std::uint32_t> comPort;   // --port COM1 to COM4: index into kPortNames
    std::optional<std::string> device;      // --port DEV: the device itself
    std::optional<std::uint32_t> baudRate;  // index into kBaudRates
    std::optional<std::uint32_t> dataBit;   // 0: 7 bits, 1: 8 bits
    std::optional<std::uint32_t> stopBit;   // 0: 1 stop bit, 1: 2
    std::optional<std::uint32_t> parity;    // 0 none, 1 even, 2 odd
    std::optional<std::uint32_t> flow;      // a FlowControlIndex
    std::optional<std::uint32_t> charDelay; // milliseconds
    std::optional<std::uint32_t> lineDelay; // milliseconds
    bool data = false;                      // receive --data: a DATA file
    std::optional<unsigned> timeoutMs;      // receive --timeout, in milliseconds
    bool json = false;                      // ports and xref --json
    std::optional<unsigned> maxProblems;    // check --max: the problems shown at most
    // --encoding: how FILE (and the file written) is encoded.
    TextEncoding encoding = TextEncoding::Cp932;
    bool help = false;
    bool version = false;

    // The kind FILE is handled as: --type, else its extension. A receive
    // makes a text document, or a DATA document with --data.
    DocKind Kind() const {
        if (command == Command::Receive)
            return data ? DocKind::Data : DocKind::Text;
        return type ? *type : DocKindFromPath(file);
    }
    // Whether any option of the serial line was given.
    bool HasSerialOptions() const {
        return comPort || device || baudRate || dataBit || stopBit || parity || flow || charDelay ||
               lineDelay;
    }
};

// What a command writes, and so which of -o, -i, --numbers and --no-numbers
// it takes.
enum class Output {
    None,     // nothing: none of them
    Bytes,    // bytes that are no document: -o
    Document, // the document: all of them
    Text,     // FILE's own text, changed only where it must: -o and -i
    Received, // what arrived: -o, which it needs; it reads no FILE
};

// The options a command takes besides --settings and --help: its help lists
// them, and the checks of the command line refuse the others (an option
// that would change nothing is a usage error, not silently ignored).
struct CommandOptions {
    Output output = Output::None;
    bool numbering = false; // --number-start, --number-step: numbers a file that has none
    bool sends = false;     // --tab, --eol, --eof: makes the bytes of a send
    bool serial = false;    // the serial line's options, --eol, --eof
    bool type = false;      // --type: reads FILE as a kind of document
    bool renumber = false;  // --new, --old, --step
    bool data = false;      // --data
    bool timeout = false;   // --timeout
    bool listing = false;   // lists the ports: --json; reads no FILE, writes no file
    bool lists = false;     // lists what FILE holds on standard output: --json
    bool problems = false;  // lists FILE's problems: --max
    bool serves = false;    // a server on standard input and output: reads no FILE
};

// What a word of the command line may become, for shell completion: these
// words (the shell keeps those that begin with what was typed), and file
// names or serial devices besides.
struct Completion {
    std::vector<std::string> words;
    bool files = false;
    bool devices = false;
};

// What the last of `args` (the words after the program name; the last is
// the word being completed, maybe empty) may become: a command, an option
// the command takes, a value of the option before it ("--type" offers the
// kinds), or a file where the command reads one. "--opt=" offers the values
// of --opt, without the "--opt=".
Completion Complete(std::span<const std::string_view> args);
// The hidden first word that asks tessel-cli for Complete() of the rest.
inline constexpr std::string_view kCompleteCommand = "__complete";

// The options of a command; none for Command::None.
const CommandOptions& OptionsOf(Command command);

// The name a command is typed as ("renumber"); empty for Command::None.
std::string_view CommandName(Command command);
// The command of a name; Command::None when there is none.
Command CommandFromName(std::string_view name);

// Reads the arguments (without the program name) into `options`. False with
// `error` set to a one-line description when they are not a valid command
// line. --help and --version need no command or file.
bool ParseCommandLine(std::span<const std::string_view> args, CliOptions& options,
                      std::string& error);

// `text` in single quotes, its control characters written as C escapes
// ("\n", "\x01"), so that a message naming it stays one line.
std::string Quoted(std::string_view text);
// A file name as messages show it: as it is, or Quoted() when it holds a
// control character.
std::string ShownName(std::string_view path);

// An unsigned decimal number from `min` to `max`: digits only, no sign or
// blank, leading zeros allowed.
bool ParseNumber(std::string_view text, unsigned min, unsigned max, unsigned& value);
// One or two hexadecimal digits, in either case.
bool ParseHexByte(std::string_view text, std::uint32_t& value);
// Seconds, whole or with up to three decimals ("10", "0.5"), above 0 and at
// most `maxSeconds`, as milliseconds.
bool ParseSeconds(std::string_view text, unsigned maxSeconds, unsigned& ms);

} // namespace tessel::cli
