#include "cli/CliOptions.h"

#include "cli/CliOptionParser.h"

#include <algorithm>
#include <vector>

namespace tessel::cli {
namespace {

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

std::string Listed(std::span<const std::string_view> items, unsigned last) {
    std::string text;
    const std::size_t joined = last == IDS_NONE || items.empty() ? items.size() : items.size() - 1;
    for (std::size_t i = 0; i < joined; ++i)
        text.append(i == 0 ? "" : LoadString(IDS_CLI_LIST_SEPARATOR)).append(items[i]);
    if (joined < items.size())
        text = joined == 0 ? std::string(items.back()) : LoadFormatted(last, {text, items.back()});
    return text;
}

bool Parser::Parse(std::span<const std::string_view> args) {
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

bool Parser::Operand(std::string_view arg) {
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

bool Parser::LongOption(std::string_view text, std::string_view next, bool hasNext,
                        bool& usedNext) {
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

bool Parser::ShortOptions(std::string_view text, std::string_view next, bool hasNext,
                          bool& usedNext) {
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
        for (const OptionInfo& option : OptionTable())
            if (option.takenBy(command))
                completion.words.push_back(std::string("--").append(option.longName));
    };
    if (optionWord) {
        offerOptions();
    } else if (command == Command::None) {
        for (const CommandInfo& info : CommandTable())
            completion.words.emplace_back(info.name);
    } else if (command == Command::Help) {
        if (!haveOperand)
            for (const CommandInfo& info : CommandTable())
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

} // namespace tessel::cli
