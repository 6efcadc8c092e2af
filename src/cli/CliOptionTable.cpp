#include "cli/CliOptionTable.h"

#include "settings/ComSettings.h"

namespace tessel::cli {
namespace {

// Each command's name and options, in the order of the tool's help.
constexpr CommandInfo kCommands[] = {
    {Command::Number, "number", {.output = Output::Document, .numbering = true, .type = true}},
    // A file without numbers comes back as it was, whatever numbers loading
    // gave it: unnumber reads no numbering settings.
    {Command::Unnumber, "unnumber", {.output = Output::Document, .type = true}},
    {Command::Sort, "sort", {.output = Output::Document, .numbering = true, .type = true}},
    {Command::Renumber,
     "renumber",
     {.output = Output::Document, .numbering = true, .type = true, .renumber = true}},
    // Writes FILE's own bytes, tidied: the numbers stay as they are.
    {Command::Tidy, "tidy", {.output = Output::Text, .type = true}},
    {Command::Check,
     "check",
     {.output = Output::None, .numbering = true, .sends = true, .type = true, .problems = true}},
    {Command::Xref, "xref", {.type = true, .lists = true}},
    {Command::Wire,
     "wire",
     {.output = Output::Bytes, .numbering = true, .sends = true, .type = true}},
    {Command::Send,
     "send",
     {.output = Output::None, .numbering = true, .sends = true, .serial = true, .type = true}},
    {Command::Receive,
     "receive",
     {.output = Output::Received, .serial = true, .data = true, .timeout = true}},
    {Command::Ports, "ports", {.listing = true}},
    {Command::Lsp, "lsp", {.serves = true}},
    {Command::Help, "help", {}},
};

// What the checks take for granted, and so say in their messages: a
// command that writes no document makes the bytes of a send, whose lines go
// with their numbers; every command that reads FILE takes --type.
constexpr bool ChecksHoldForEveryCommand() {
    for (const CommandInfo& info : kCommands) {
        const CommandOptions& options = info.options;
        if (info.command == Command::Help || options.listing ||
            options.serves) // take no options of these
            continue;
        // A listing of FILE makes no bytes of a send.
        if (options.lists && (options.output != Output::None || options.sends))
            return false;
        if (options.lists)
            continue;
        if ((options.output == Output::None || options.output == Output::Bytes) && !options.sends)
            return false;
        if (options.type != (options.output != Output::Received))
            return false;
    }
    return true;
}
static_assert(ChecksHoldForEveryCommand());

template <bool CommandOptions::*Flag>
bool By(Command command) {
    return OptionsOf(command).*Flag;
}
// --json: the commands that list something.
bool ByListers(Command command) {
    return OptionsOf(command).listing || OptionsOf(command).lists;
}
// Every command but those that read and write no file (ports).
bool ByFileReaders(Command command) {
    return !OptionsOf(command).listing && !OptionsOf(command).serves;
}
bool ByWriters(Command command) {
    return OptionsOf(command).output != Output::None;
}
bool ByLinesOnTheWire(Command command) {
    return OptionsOf(command).sends || OptionsOf(command).serial;
}
// -i: the commands that write FILE again, as a document or tidied.
bool ByReplacers(Command command) {
    return OptionsOf(command).output == Output::Document ||
           OptionsOf(command).output == Output::Text;
}
// --numbers and --no-numbers: the commands that write a document, except
// the one that always writes numbers and the one that never does.
template <Command Refuses>
bool ByDocumentWriters(Command command) {
    return OptionsOf(command).output == Output::Document && command != Refuses;
}

void Files(Completion& completion) {
    completion.files = true;
}
template <const auto& Names>
void Words(Completion& completion) {
    for (const char* name : Names)
        completion.words.emplace_back(name);
}
void Kinds(Completion& completion) {
    for (int kind = 0; kind <= static_cast<int>(DocKind::Data); ++kind)
        completion.words.emplace_back(DocKindName(static_cast<DocKind>(kind)));
}
void Ports(Completion& completion) {
    Words<kPortNames>(completion);
    completion.devices = true;
}

constexpr OptionInfo kOptions[] = {
    {"output", 'o', true, Opt::Output, ByWriters, Files},
    {"in-place", 'i', false, Opt::InPlace, ByReplacers},
    {"type", 0, true, Opt::Type, By<&CommandOptions::type>, Kinds},
    {"numbers", 0, false, Opt::Numbers, ByDocumentWriters<Command::Unnumber>},
    {"no-numbers", 0, false, Opt::NoNumbers, ByDocumentWriters<Command::Number>},
    {"number-start", 0, true, Opt::NumberStart, By<&CommandOptions::numbering>, nullptr,
     Misplaced::Numbers},
    {"number-step", 0, true, Opt::NumberStep, By<&CommandOptions::numbering>, nullptr,
     Misplaced::Numbers},
    {"tab", 0, true, Opt::Tab, By<&CommandOptions::sends>, nullptr, Misplaced::Alone},
    {"eol", 0, true, Opt::Eol, ByLinesOnTheWire, Words<kEolNames>, Misplaced::LineEnds},
    {"eof", 0, true, Opt::Eof, ByLinesOnTheWire, nullptr, Misplaced::LineEnds},
    {"settings", 0, true, Opt::Settings, ByEvery, Files},
    {"lang", 0, true, Opt::Lang, ByEvery, Words<kLanguageNames>},
    {"new", 0, true, Opt::New, By<&CommandOptions::renumber>, nullptr, Misplaced::Renumbers},
    {"old", 0, true, Opt::Old, By<&CommandOptions::renumber>, nullptr, Misplaced::Renumbers},
    {"step", 0, true, Opt::Step, By<&CommandOptions::renumber>, nullptr, Misplaced::Renumbers},
    {"port", 0, true, Opt::Port, By<&CommandOptions::serial>, Ports, Misplaced::AsTyped},
    {"baud", 0, true, Opt::Baud, By<&CommandOptions::serial>, Words<kBaudRateTexts>,
     Misplaced::AsTyped},
    {"data-bits", 0, true, Opt::DataBits, By<&CommandOptions::serial>, Words<kDataBitTexts>,
     Misplaced::AsTyped},
    {"stop-bits", 0, true, Opt::StopBits, By<&CommandOptions::serial>, Words<kStopBitTexts>,
     Misplaced::AsTyped},
    {"parity", 0, true, Opt::Parity, By<&CommandOptions::serial>, Words<kParityTexts>,
     Misplaced::AsTyped},
    {"flow", 0, true, Opt::Flow, By<&CommandOptions::serial>, Words<kFlowNames>,
     Misplaced::AsTyped},
    {"char-delay", 0, true, Opt::CharDelay, By<&CommandOptions::serial>, nullptr,
     Misplaced::AsTyped},
    {"line-delay", 0, true, Opt::LineDelay, By<&CommandOptions::serial>, nullptr,
     Misplaced::AsTyped},
    {"data", 0, false, Opt::Data, By<&CommandOptions::data>, nullptr, Misplaced::Alone},
    {"encoding", 0, true, Opt::Encoding, ByFileReaders, Words<kEncodingNames>},
    {"timeout", 0, true, Opt::Timeout, By<&CommandOptions::timeout>, nullptr, Misplaced::Alone},
    {"json", 0, false, Opt::Json, ByListers, nullptr, Misplaced::Alone},
    {"max", 0, true, Opt::Max, By<&CommandOptions::problems>, nullptr, Misplaced::Alone},
    {"help", 'h', false, Opt::Help},
    {"version", 0, false, Opt::Version, [](Command command) { return command == Command::None; }},
};

} // namespace

std::span<const CommandInfo> CommandTable() {
    return kCommands;
}

std::span<const OptionInfo> OptionTable() {
    return kOptions;
}

const OptionInfo& Row(Opt id) {
    for (const OptionInfo& option : kOptions)
        if (option.id == id)
            return option;
    return kOptions[0]; // every Opt has its row
}

const OptionInfo* FindLongOption(std::string_view name, std::vector<std::string>& candidates) {
    candidates.clear();
    const OptionInfo* found = nullptr;
    for (const OptionInfo& option : kOptions) {
        if (option.longName == name)
            return &option;
        if (!option.longName.empty() && option.longName.starts_with(name)) {
            candidates.push_back(std::string("--").append(option.longName));
            found = &option;
        }
    }
    if (candidates.size() > 1)
        return nullptr;
    candidates.clear();
    return found;
}

const OptionInfo* FindShortOption(char letter) {
    for (const OptionInfo& option : kOptions)
        if (option.shortName == letter)
            return &option;
    return nullptr;
}

const CommandOptions& OptionsOf(Command command) {
    for (const CommandInfo& info : kCommands)
        if (info.command == command)
            return info.options;
    static constexpr CommandOptions kNone;
    return kNone;
}

std::string_view CommandName(Command command) {
    for (const CommandInfo& info : kCommands)
        if (info.command == command)
            return info.name;
    return {};
}

Command CommandFromName(std::string_view name) {
    for (const CommandInfo& info : kCommands)
        if (info.name == name)
            return info.command;
    return Command::None;
}

} // namespace tessel::cli
