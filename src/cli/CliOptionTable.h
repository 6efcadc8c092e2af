#pragma once

// The tables of tessel-cli's command line, which its parser, the checks
// between its options and its completion read: each command with its name
// and the options it takes, each option with its names, the commands that
// take it and the values that complete it.

#include "cli/CliOptions.h"
#include "doc/TextOps.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

struct CommandInfo {
    Command command;
    std::string_view name;
    CommandOptions options;
};

// Each command's name and options, in the order of the tool's help.
std::span<const CommandInfo> CommandTable();

enum class Opt {
    Output,
    InPlace,
    Type,
    Numbers,
    NoNumbers,
    NumberStart,
    NumberStep,
    Tab,
    Eol,
    Eof,
    Settings,
    Lang,
    New,
    Old,
    Step,
    Port,
    Baud,
    DataBits,
    StopBits,
    Parity,
    Flow,
    CharDelay,
    LineDelay,
    Data,
    Encoding,
    Timeout,
    Json,
    Max,
    Help,
    Version,
};

// Which commands take an option: what a parsed command line is checked
// against, and what the completion of a command line offers.
using TakenBy = bool (*)(Command command);
// What the completion offers as an option's value.
using Values = void (*)(Completion& completion);

constexpr bool ByEvery(Command) {
    return true;
}

// The words of --eol, in the order of the settings' line-end index.
inline constexpr const char* kEolNames[] = {"cr", "lf", "crlf"};
static_assert(kEolCr == 0 && kEolLf == 1 && kEolCrLf == 2);
// The words of --flow, in the order of the settings' flow-control index.
inline constexpr const char* kFlowNames[] = {"xon", "rts", "none"};
// The words of --encoding ("utf8" is taken too, as most tools take it).
inline constexpr const char* kEncodingNames[] = {"cp932", "utf-8"};
// The words of --lang.
inline constexpr const char* kLanguageNames[] = {"ja", "en"};
// How a command line is told that it gives an option to a command that
// does not take it.
enum class Misplaced : std::uint8_t {
    ByHand,    // by rules of its own (Parser::Check), or taken by every command
    Alone,     // "--tab belongs to check, wire and send"
    Renumbers, // with the rest of its group: "--new, --old and --step belong to renumber"
    Numbers,   // --number-start and --number-step
    LineEnds,  // --eol and --eof
    AsTyped,   // the first given of its group, as typed: "'--baud' belongs to ..."
};

struct OptionInfo {
    std::string_view longName;
    char shortName; // 0 for none
    bool takesValue;
    Opt id;
    TakenBy takenBy = ByEvery;
    Values values = nullptr; // nullptr: nothing to offer
    Misplaced misplaced = Misplaced::ByHand;
};

// Every option.
std::span<const OptionInfo> OptionTable();

// The row of an option.
const OptionInfo& Row(Opt id);
// The option a long name (without "--") stands for: an exact match, else
// the only option it is the beginning of. When it begins several, none, and
// `candidates` lists them ("--new", "--number-start").
const OptionInfo* FindLongOption(std::string_view name, std::vector<std::string>& candidates);
// The option a letter stands for ("-o"), if any.
const OptionInfo* FindShortOption(char letter);

} // namespace tessel::cli
