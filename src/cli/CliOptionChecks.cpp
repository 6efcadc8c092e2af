#include "cli/CliOptionParser.h"

#include <algorithm>
#include <vector>

namespace tessel::cli {
namespace {

// The commands that take an option: "send and receive".
std::string Takers(TakenBy takenBy) {
    std::vector<std::string_view> names;
    for (const CommandInfo& info : CommandTable())
        if (info.command != Command::Help && takenBy(info.command))
            names.push_back(info.name);
    return Listed(names, IDS_CLI_LIST_AND);
}

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

} // namespace

bool Parser::Check() {
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

bool Parser::CheckTaken(std::span<const Opt> order, const std::string& command) {
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
            const auto first = std::ranges::find(
                m_given, Misplaced::AsTyped, [](const Given& g) { return g.option->misplaced; });
            return Fail(IDS_CLI_OPTION_BELONGS_TO, {Quoted(first->shown), takers, command});
        }
        default: {
            // The whole group, as the table lists it.
            std::vector<std::string> names;
            for (const OptionInfo& member : OptionTable())
                if (member.misplaced == option.misplaced)
                    names.push_back(std::string("--").append(member.longName));
            const std::vector<std::string_view> views(names.begin(), names.end());
            return Fail(IDS_CLI_BELONG_TO, {Listed(views, IDS_CLI_LIST_AND), takers, command});
        }
        }
    }
    return true;
}

bool Parser::CheckReceived(const std::string& command, const CommandOptions& takes) {
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

} // namespace tessel::cli
