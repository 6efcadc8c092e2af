#pragma once

// The parser of tessel-cli's command line. Its reading of the words is in
// CliOptions.cpp, of the options' values in CliOptionValues.cpp, and the
// rules between options, command and file in CliOptionChecks.cpp.

#include "cli/CliOptionTable.h"
#include "res/StringTable.h"
#include "settings/SettingRange.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

// `items` as a list in the current language: "a, b and c" with `last`
// IDS_CLI_LIST_AND, "a, b or c" with IDS_CLI_LIST_OR, "a, b, c" with none.
std::string Listed(std::span<const std::string_view> items, unsigned last = IDS_NONE);

class Parser {
public:
    Parser(CliOptions& options, std::string& error) : m_options(options), m_error(error) {}

    bool Parse(std::span<const std::string_view> args);

private:
    // The message of `id` in the current language, its placeholders filled.
    bool Fail(unsigned id, std::initializer_list<std::string_view> args) {
        m_error = LoadFormatted(id, args);
        return false;
    }

    bool Operand(std::string_view arg);
    bool LongOption(std::string_view text, std::string_view next, bool hasNext, bool& usedNext);
    // A cluster of short options ("-ih"); one that takes a value takes the
    // rest of the cluster ("-oFILE") or else the next argument.
    bool ShortOptions(std::string_view text, std::string_view next, bool hasNext, bool& usedNext);

    bool Number(std::string_view value, const std::string& shown, unsigned min, unsigned max,
                std::optional<unsigned>& target);
    // A value the settings file keeps too, in its range.
    bool Number(std::string_view value, const std::string& shown, const NumberSetting& setting,
                std::optional<unsigned>& target);
    // One of `names` (in any case); its position goes to `target`.
    template <std::size_t N>
    bool Choice(std::string_view value, const std::string& shown, const char* const (&names)[N],
                std::optional<std::uint32_t>& target);
    bool Delay(std::string_view value, const std::string& shown,
               std::optional<std::uint32_t>& target);
    bool Apply(const OptionInfo& option, std::string_view value, const std::string& shown);

    // The rules between options, command and file.
    bool Check();
    // Whether the command takes each option of `order` that the command line
    // gives; else tells of the first that it does not take.
    bool CheckTaken(std::span<const Opt> order, const std::string& command);
    // A command that writes what it received writes the file that -o names
    // and reads none.
    bool CheckReceived(const std::string& command, const CommandOptions& takes);

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

} // namespace tessel::cli
