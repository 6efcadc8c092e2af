#include "cli/CliOptions.h"

#include "doc/TextOps.h"
#include "engine/NumberedLine.h"
#include "res/StringTable.h"
#include "settings/ComSettings.h"
#include "settings/SettingRange.h"

#include <algorithm>
#include <vector>

namespace tessel::cli {
namespace {

struct CommandInfo {
    Command command;
    std::string_view name;
    CommandOptions options;
};

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

// `items` as a list in the current language: "a, b and c" with `last`
// IDS_CLI_LIST_AND, "a, b or c" with IDS_CLI_LIST_OR, "a, b, c" with none.
std::string Listed(std::span<const std::string_view> items, unsigned last = IDS_NONE) {
    std::string text;
    const std::size_t joined = last == IDS_NONE || items.empty() ? items.size() : items.size() - 1;
    for (std::size_t i = 0; i < joined; ++i)
        text.append(i == 0 ? "" : LoadString(IDS_CLI_LIST_SEPARATOR)).append(items[i]);
    if (joined < items.size())
        text = joined == 0 ? std::string(items.back()) : LoadFormatted(last, {text, items.back()});
    return text;
}

template <std::size_t N>
std::string Listed(const char* const (&items)[N], unsigned last) {
    const std::vector<std::string_view> views(std::begin(items), std::end(items));
    return Listed(views, last);
}

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

// The commands that take an option: "send and receive".
std::string Takers(TakenBy takenBy) {
    std::vector<std::string_view> names;
    for (const CommandInfo& info : kCommands)
        if (info.command != Command::Help && takenBy(info.command))
            names.push_back(info.name);
    return Listed(names, IDS_CLI_LIST_AND);
}

constexpr bool ByEvery(Command) {
    return true;
}
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

// The words of --eol, in the order of the settings' line-end index.
constexpr const char* kEolNames[] = {"cr", "lf", "crlf"};
static_assert(kEolCr == 0 && kEolLf == 1 && kEolCrLf == 2);
// The words of --flow, in the order of the settings' flow-control index.
constexpr const char* kFlowNames[] = {"xon", "rts", "none"};
// The words of --encoding ("utf8" is taken too, as most tools take it).
constexpr const char* kEncodingNames[] = {"cp932", "utf-8"};
// The words of --lang.
constexpr const char* kLanguageNames[] = {"ja", "en"};
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

// The options that only some commands take, in the order a command line is
// checked for them, which tells of the first it finds: those that no reading
// of FILE helps, those that a command reading FILE must take, and those
// checked once FILE is known.
constexpr Opt kCheckedFirst[] = {Opt::Json, Opt::Max};
constexpr Opt kCheckedBeforeFile[] = {Opt::Timeout, Opt::New,         Opt::Old,
                                      Opt::Step,    Opt::NumberStart, Opt::NumberStep,
                                      Opt::Tab,     Opt::Eol,         Opt::Eof};
constexpr Opt kCheckedAfterFile[] = {Opt::Port,      Opt::Baud,      Opt::DataBits,
                                     Opt::StopBits,  Opt::Parity,    Opt::Flow,
                                     Opt::CharDelay, Opt::LineDelay, Opt::Data};

const OptionInfo& Row(Opt id) {
    for (const OptionInfo& option : kOptions)
        if (option.id == id)
            return option;
    return kOptions[0]; // every Opt has its row
}

// The most problems check --max may ask for: more than a program holds.
constexpr unsigned kMaxProblems = 1000000;
// The longest receive time-out: a day.
constexpr unsigned kMaxTimeoutSeconds = 86400;

// Control characters as C escapes, so that a message stays one line.
void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
}

} // namespace

std::string Quoted(std::string_view text) {
    std::string out = "'";
    AppendEscaped(out, text);
    out += '\'';
    return out;
}

std::string ShownName(std::string_view path) {
    const bool plain = std::ranges::none_of(path, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    return plain ? std::string(path) : Quoted(path);
}

namespace {

// The option a long name (without "--") stands for: an exact match, else
// the only option it is the beginning of. When it begins several, none, and
// `candidates` lists them ("--new", "--number-start").
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

bool EqualsNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

class Parser {
public:
    Parser(CliOptions& options, std::string& error) : m_options(options), m_error(error) {}

    bool Parse(std::span<const std::string_view> args) {
        bool optionsEnded = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string_view arg = args[i];
            const std::string_view next = i + 1 < args.size() ? args[i + 1] : std::string_view();
            const bool hasNext = i + 1 < args.size();
            bool usedNext = false;
            bool ok = true;
            if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
                ok = Operand(arg);
            } else if (arg == "--") {
                optionsEnded = true;
            } else if (arg[1] == '-') {
                ok = LongOption(arg.substr(2), next, hasNext, usedNext);
            } else {
                ok = ShortOptions(arg.substr(1), next, hasNext, usedNext);
            }
            if (!ok)
                return false;
            if (usedNext)
                ++i;
        }
        return Check();
    }

private:
    // The message of `id` in the current language, its placeholders filled.
    bool Fail(unsigned id, std::initializer_list<std::string_view> args) {
        m_error = LoadFormatted(id, args);
        return false;
    }

    bool Operand(std::string_view arg) {
        if (m_options.command == Command::None) {
            m_options.command = CommandFromName(arg);
            if (m_options.command == Command::None)
                return Fail(IDS_CLI_UNKNOWN_COMMAND, {Quoted(arg)});
            return true;
        }
        if (m_options.command == Command::Help && m_options.helpTopic == Command::None) {
            m_options.helpTopic = CommandFromName(arg);
            if (m_options.helpTopic == Command::None)
                return Fail(IDS_CLI_UNKNOWN_COMMAND, {Quoted(arg)});
            return true;
        }
        if (!m_haveFile && m_options.command != Command::Help) {
            m_options.file = arg;
            m_haveFile = true;
            return true;
        }
        return Fail(IDS_CLI_UNEXPECTED_ARGUMENT, {Quoted(arg)});
    }

    bool LongOption(std::string_view text, std::string_view next, bool hasNext, bool& usedNext) {
        const std::size_t equals = text.find('=');
        const std::string_view name = text.substr(0, equals);
        std::vector<std::string> candidates;
        const OptionInfo* option = FindLongOption(name, candidates);
        if (!option && !candidates.empty()) {
            const std::vector<std::string_view> views(candidates.begin(), candidates.end());
            return Fail(IDS_CLI_AMBIGUOUS_OPTION,
                        {Quoted(std::string("--").append(name)), Listed(views)});
        }
        if (!option)
            return Fail(IDS_CLI_UNKNOWN_OPTION, {Quoted(std::string("--").append(name))});
        const std::string shown = std::string("--").append(option->longName);
        if (!option->takesValue) {
            if (equals != std::string_view::npos)
                return Fail(IDS_CLI_OPTION_TAKES_NO_VALUE, {Quoted(shown)});
            return Apply(*option, {}, shown);
        }
        if (equals != std::string_view::npos)
            return Apply(*option, text.substr(equals + 1), shown);
        if (!hasNext)
            return Fail(IDS_CLI_OPTION_NEEDS_VALUE, {Quoted(shown)});
        usedNext = true;
        return Apply(*option, next, shown);
    }

    // A cluster of short options ("-ih"); one that takes a value takes the
    // rest of the cluster ("-oFILE") or else the next argument.
    bool ShortOptions(std::string_view text, std::string_view next, bool hasNext, bool& usedNext) {
        for (std::size_t k = 0; k < text.size(); ++k) {
            const OptionInfo* option = FindShortOption(text[k]);
            const std::string shown = std::string("-") + text[k];
            if (!option)
                return Fail(IDS_CLI_UNKNOWN_OPTION, {Quoted(shown)});
            if (!option->takesValue) {
                if (!Apply(*option, {}, shown))
                    return false;
                continue;
            }
            if (k + 1 < text.size())
                return Apply(*option, text.substr(k + 1), shown);
            if (!hasNext)
                return Fail(IDS_CLI_OPTION_NEEDS_VALUE, {Quoted(shown)});
            usedNext = true;
            return Apply(*option, next, shown);
        }
        return true;
    }

    bool Number(std::string_view value, const std::string& shown, unsigned min, unsigned max,
                std::optional<unsigned>& target) {
        unsigned number = 0;
        if (!ParseNumber(value, min, max, number))
            return Fail(IDS_CLI_INVALID_NUMBER,
                        {Quoted(value), shown, std::to_string(min), std::to_string(max)});
        target = number;
        return true;
    }
    // A value the settings file keeps too, in its range.
    bool Number(std::string_view value, const std::string& shown, const NumberSetting& setting,
                std::optional<unsigned>& target) {
        return Number(value, shown, setting.min, setting.max, target);
    }

    // One of `names` (in any case); its position goes to `target`.
    template <std::size_t N>
    bool Choice(std::string_view value, const std::string& shown, const char* const (&names)[N],
                std::optional<std::uint32_t>& target) {
        for (std::size_t i = 0; i < N; ++i) {
            if (EqualsNoCase(value, names[i])) {
                target = static_cast<std::uint32_t>(i);
                return true;
            }
        }
        return Fail(IDS_CLI_INVALID_CHOICE, {Quoted(value), shown, Listed(names, IDS_CLI_LIST_OR)});
    }

    bool Delay(std::string_view value, const std::string& shown,
               std::optional<std::uint32_t>& target) {
        std::optional<unsigned> ms;
        if (!Number(value, shown, 0, kMaxPacingDelay, ms))
            return false;
        target = *ms;
        return true;
    }

    bool Apply(const OptionInfo& option, std::string_view value, const std::string& shown) {
        m_given.push_back({&option, shown});
        switch (option.id) {
        case Opt::Output:
            if (value.empty())
                return Fail(IDS_CLI_OPTION_NEEDS_FILE_NAME, {Quoted(shown)});
            m_options.output = std::string(value);
            return true;
        case Opt::InPlace:
            m_options.inPlace = true;
            return true;
        case Opt::Type: {
            DocKind kind{};
            if (!DocKindFromName(value, kind)) {
                std::vector<std::string_view> kinds;
                for (int k = 0; k <= static_cast<int>(DocKind::Data); ++k)
                    kinds.push_back(DocKindName(static_cast<DocKind>(k)));
                return Fail(IDS_CLI_INVALID_CHOICE,
                            {Quoted(value), shown, Listed(kinds, IDS_CLI_LIST_OR)});
            }
            m_options.type = kind;
            return true;
        }
        case Opt::Numbers:
            m_options.numbers = true;
            return true;
        case Opt::NoNumbers:
            m_options.numbers = false;
            return true;
        case Opt::NumberStart:
            return Number(value, shown, kStartLineSetting, m_options.numberStart);
        case Opt::NumberStep:
            return Number(value, shown, kLineStepSetting, m_options.numberStep);
        case Opt::Tab:
            return Number(value, shown, kTabStopSetting, m_options.tab);
        case Opt::Eol:
            return Choice(value, shown, kEolNames, m_options.endOfLine);
        case Opt::Eof: {
            std::uint32_t code = 0;
            if (!ParseHexByte(value, code))
                return Fail(IDS_CLI_INVALID_HEX_BYTE, {Quoted(value), shown});
            m_options.endOfFile = code;
            return true;
        }
        case Opt::Settings:
            if (value.empty())
                return Fail(IDS_CLI_OPTION_NEEDS_FILE_NAME, {Quoted(shown)});
            m_options.settings = std::string(value);
            return true;
        case Opt::Lang:
            m_options.language = ParseLanguage(value);
            if (!m_options.language)
                return Fail(IDS_CLI_INVALID_CHOICE,
                            {Quoted(value), shown, Listed(kLanguageNames, IDS_CLI_LIST_OR)});
            return true;
        case Opt::New:
            return Number(value, shown, 1, kMaxLineNum, m_options.newStart);
        case Opt::Old:
            return Number(value, shown, 1, kMaxLineNum, m_options.oldStart);
        case Opt::Step:
            return Number(value, shown, kLineStepSetting, m_options.step);
        case Opt::Port:
            // COM1 to COM4 choose a port as the settings do; anything else
            // names the device.
            if (value.empty())
                return Fail(IDS_CLI_OPTION_NEEDS_DEVICE, {Quoted(shown)});
            m_options.comPort.reset();
            m_options.device.reset();
            for (std::uint32_t i = 0; i < std::size(kPortNames); ++i)
                if (EqualsNoCase(value, kPortNames[i]))
                    m_options.comPort = i;
            if (!m_options.comPort)
                m_options.device = std::string(value);
            return true;
        case Opt::Baud:
            return Choice(value, shown, kBaudRateTexts, m_options.baudRate);
        case Opt::DataBits:
            return Choice(value, shown, kDataBitTexts, m_options.dataBit);
        case Opt::StopBits:
            return Choice(value, shown, kStopBitTexts, m_options.stopBit);
        case Opt::Parity:
            return Choice(value, shown, kParityTexts, m_options.parity);
        case Opt::Flow:
            return Choice(value, shown, kFlowNames, m_options.flow);
        case Opt::CharDelay:
            return Delay(value, shown, m_options.charDelay);
        case Opt::LineDelay:
            return Delay(value, shown, m_options.lineDelay);
        case Opt::Data:
            m_options.data = true;
            return true;
        case Opt::Encoding:
            // "utf8" too, as iconv and most tools take it.
            if (EqualsNoCase(value, "cp932"))
                m_options.encoding = TextEncoding::Cp932;
            else if (EqualsNoCase(value, "utf-8") || EqualsNoCase(value, "utf8"))
                m_options.encoding = TextEncoding::Utf8;
            else
                return Fail(IDS_CLI_INVALID_CHOICE,
                            {Quoted(value), shown, Listed(kEncodingNames, IDS_CLI_LIST_OR)});
            return true;
        case Opt::Timeout: {
            unsigned ms = 0;
            if (!ParseSeconds(value, kMaxTimeoutSeconds, ms))
                return Fail(IDS_CLI_INVALID_SECONDS,
                            {Quoted(value), shown, std::to_string(kMaxTimeoutSeconds)});
            m_options.timeoutMs = ms;
            return true;
        }
        case Opt::Json:
            m_options.json = true;
            return true;
        case Opt::Max:
            return Number(value, shown, 1, kMaxProblems, m_options.maxProblems);
        case Opt::Help:
            m_options.help = true;
            return true;
        case Opt::Version:
            m_options.version = true;
            return true;
        }
        return true;
    }

    // The rules between options, command and file.
    bool Check() {
        CliOptions& o = m_options;
        if (o.help || o.version || o.command == Command::Help)
            return true;
        if (o.command == Command::None)
            return Fail(IDS_CLI_MISSING_COMMAND, {});
        const std::string command(CommandName(o.command));
        const CommandOptions& takes = OptionsOf(o.command);
        if (!CheckTaken(kCheckedFirst, command))
            return false;
        if (takes.listing || takes.serves) {
            if (m_haveFile)
                return Fail(IDS_CLI_READS_NO_FILE, {command});
            for (const Given& given : m_given)
                if (!given.option->takenBy(o.command))
                    return Fail(IDS_CLI_OPTION_DOES_NOT_APPLY, {Quoted(given.shown), command});
            return true;
        }
        if (!CheckTaken(kCheckedBeforeFile, command))
            return false;
        if (takes.output == Output::Received)
            return CheckReceived(command, takes);
        if (!m_haveFile)
            return Fail(IDS_CLI_MISSING_FILE, {});
        if (!CheckTaken(kCheckedAfterFile, command))
            return false;
        if (o.inPlace && o.output)
            return Fail(IDS_CLI_IN_PLACE_WITH_OUTPUT, {});
        if (o.inPlace && o.file == "-")
            return Fail(IDS_CLI_IN_PLACE_STANDARD_INPUT, {});
        if (takes.output == Output::None && (o.output || o.inPlace))
            return Fail(IDS_CLI_WRITES_NO_FILE, {command});
        if (takes.output == Output::Bytes && o.inPlace)
            return Fail(IDS_CLI_CANNOT_REPLACE_FILE, {command});
        const char* numbers = o.numbers == true ? "--numbers" : "--no-numbers";
        if (takes.output == Output::Text && o.numbers)
            return Fail(IDS_CLI_KEEPS_NUMBERS, {command, numbers});
        if (takes.output != Output::Document && o.numbers)
            return Fail(IDS_CLI_SENDS_NUMBERS, {command, numbers});
        if (o.command == Command::Number && o.numbers == false)
            return Fail(IDS_CLI_CANNOT_BE_USED_WITH, {command, "--no-numbers"});
        if (o.command == Command::Unnumber && o.numbers == true)
            return Fail(IDS_CLI_CANNOT_BE_USED_WITH, {command, "--numbers"});
        const bool needsNumbers = o.command == Command::Sort || o.command == Command::Renumber ||
                                  o.command == Command::Tidy || o.command == Command::Check ||
                                  o.command == Command::Xref;
        if (needsNumbers && !IsLineNumbered(o.Kind()))
            return Fail(IDS_CLI_IS_A_DATA_FILE, {command, Quoted(o.file)});
        return true;
    }

    // Whether the command takes each option of `order` that the command line
    // gives; else tells of the first that it does not take.
    bool CheckTaken(std::span<const Opt> order, const std::string& command) {
        for (const Opt id : order) {
            const OptionInfo& option = Row(id);
            const auto given = std::ranges::find(m_given, &option, &Given::option);
            if (given == m_given.end() || option.takenBy(m_options.command))
                continue;
            const std::string takers = Takers(option.takenBy);
            switch (option.misplaced) {
            case Misplaced::ByHand:
                continue;
            case Misplaced::Alone:
                return Fail(IDS_CLI_BELONGS_TO,
                            {std::string("--").append(option.longName), takers, command});
            case Misplaced::AsTyped: {
                // The first of the group the command line gives, as it gives it.
                const auto first =
                    std::ranges::find(m_given, Misplaced::AsTyped,
                                      [](const Given& g) { return g.option->misplaced; });
                return Fail(IDS_CLI_OPTION_BELONGS_TO, {Quoted(first->shown), takers, command});
            }
            default: {
                // The whole group, as the table lists it.
                std::vector<std::string> names;
                for (const OptionInfo& member : kOptions)
                    if (member.misplaced == option.misplaced)
                        names.push_back(std::string("--").append(member.longName));
                const std::vector<std::string_view> views(names.begin(), names.end());
                return Fail(IDS_CLI_BELONG_TO, {Listed(views, IDS_CLI_LIST_AND), takers, command});
            }
            }
        }
        return true;
    }

    // A command that writes what it received writes the file that -o names
    // and reads none.
    bool CheckReceived(const std::string& command, const CommandOptions& takes) {
        const CliOptions& o = m_options;
        if (m_haveFile)
            return Fail(IDS_CLI_RECEIVE_READS_NO_FILE, {command});
        if (o.inPlace)
            return Fail(IDS_CLI_CANNOT_REPLACE_IN_PLACE, {command});
        if (!o.output)
            return Fail(IDS_CLI_NEEDS_OUTPUT, {command});
        if (!takes.type && o.type)
            return Fail(IDS_CLI_TYPE_DOES_NOT_APPLY, {command});
        if (o.numbers)
            return Fail(IDS_CLI_STORES_AS_IT_CAME,
                        {command, *o.numbers ? "--numbers" : "--no-numbers"});
        return true;
    }

    CliOptions& m_options;
    std::string& m_error;
    bool m_haveFile = false;
    // The options the command line gives, in its order, as typed.
    struct Given {
        const OptionInfo* option;
        std::string shown;
    };
    std::vector<Given> m_given;
};

} // namespace

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

Completion Complete(std::span<const std::string_view> args) {
    Completion completion;
    if (args.empty())
        return completion;
    const std::string_view word = args.back();
    const std::span<const std::string_view> before = args.first(args.size() - 1);

    // The words before, read as the parser reads them: the command, whether
    // FILE (or the help's topic) is there, and the option whose value the
    // word is.
    Command command = Command::None;
    bool haveOperand = false;
    bool optionsEnded = false;
    const OptionInfo* valueOf = nullptr;
    std::vector<std::string> candidates;
    for (const std::string_view arg : before) {
        if (valueOf) {
            valueOf = nullptr;
        } else if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (command == Command::None)
                command = CommandFromName(arg);
            else
                haveOperand = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg[1] == '-') {
            const std::string_view text = arg.substr(2);
            const OptionInfo* option = FindLongOption(text.substr(0, text.find('=')), candidates);
            if (option && option->takesValue && text.find('=') == std::string_view::npos)
                valueOf = option;
        } else {
            // A cluster of short options; one that takes a value ends it, and
            // takes the next word when it is the cluster's last letter.
            for (std::size_t k = 1; k < arg.size(); ++k) {
                const OptionInfo* option = FindShortOption(arg[k]);
                if (option && option->takesValue) {
                    if (k + 1 == arg.size())
                        valueOf = option;
                    break;
                }
            }
        }
    }

    const auto offerValues = [&completion](const OptionInfo* option) {
        if (option && option->values)
            option->values(completion);
    };
    if (valueOf) {
        offerValues(valueOf);
        return completion;
    }
    const bool optionWord = !optionsEnded && word.starts_with('-');
    if (optionWord && word.starts_with("--") && word.find('=') != std::string_view::npos) {
        offerValues(FindLongOption(word.substr(2, word.find('=') - 2), candidates));
        return completion;
    }
    const auto offerOptions = [&] {
        for (const OptionInfo& option : kOptions)
            if (option.takenBy(command))
                completion.words.push_back(std::string("--").append(option.longName));
    };
    if (optionWord) {
        offerOptions();
    } else if (command == Command::None) {
        for (const CommandInfo& info : kCommands)
            completion.words.emplace_back(info.name);
    } else if (command == Command::Help) {
        if (!haveOperand)
            for (const CommandInfo& info : kCommands)
                if (info.command != Command::Help)
                    completion.words.emplace_back(info.name);
    } else if (!haveOperand && OptionsOf(command).output != Output::Received &&
               !OptionsOf(command).listing && !OptionsOf(command).serves) {
        completion.files = true;
    } else if (word.empty()) {
        offerOptions();
    }
    return completion;
}

bool ParseCommandLine(std::span<const std::string_view> args, CliOptions& options,
                      std::string& error) {
    options = {};
    error.clear();
    return Parser(options, error).Parse(args);
}

bool ParseNumber(std::string_view text, unsigned min, unsigned max, unsigned& value) {
    if (text.empty())
        return false;
    std::uint64_t number = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
        if (number > max)
            return false; // also keeps a long digit run from overflowing
    }
    if (number < min)
        return false;
    value = static_cast<unsigned>(number);
    return true;
}

bool ParseHexByte(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 2)
        return false;
    std::uint32_t code = 0;
    for (const char c : text) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return false;
        code = code * 16 + digit;
    }
    value = code;
    return true;
}

bool ParseSeconds(std::string_view text, unsigned maxSeconds, unsigned& ms) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || fraction.size() > 3 ||
        (dot != std::string_view::npos && fraction.empty()))
        return false;
    unsigned seconds = 0;
    if (!whole.empty() && !ParseNumber(whole, 0, maxSeconds, seconds))
        return false;
    unsigned thousandths = 0;
    if (!fraction.empty()) {
        if (!ParseNumber(fraction, 0, 999, thousandths))
            return false;
        for (std::size_t i = fraction.size(); i < 3; ++i)
            thousandths *= 10;
    }
    const std::uint64_t total = std::uint64_t{seconds} * 1000 + thousandths;
    if (total == 0 || total > std::uint64_t{maxSeconds} * 1000)
        return false;
    ms = static_cast<unsigned>(total);
    return true;
}

} // namespace tessel::cli
