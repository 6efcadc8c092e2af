#include "cli/CliFileText.h"

#include "cli/CliOptions.h"
#include "doc/TextOps.h"
#include "engine/NumberedLine.h"
#include "res/StringTable.h"

#include <charconv>

namespace tessel::cli {
namespace {

std::string Hex(unsigned byte) {
    char digits[4];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), byte, 16);
    return std::string(digits, result.ptr);
}

std::string LineOf(std::string_view text, std::size_t offset) {
    return std::to_string(LineAt(text, offset) + 1);
}

} // namespace

std::string ConversionMessage(const std::string& name, std::string_view text,
                              const cp932::ConversionError& error) {
    const std::string line = name + ':' + LineOf(text, error.offset) + ": ";
    switch (error.problem) {
    case cp932::ConversionProblem::NotUtf8:
        return line + LoadFormatted(IDS_CLI_NOT_UTF8, {Hex(error.byte)});
    case cp932::ConversionProblem::NotInCodePage:
        return line + LoadFormatted(error.character == 0xA5 ? IDS_CLI_YEN_NOT_IN_CP932
                                                            : IDS_CLI_NOT_IN_CP932,
                                    {cp932::NameCharacter(error.character)});
    case cp932::ConversionProblem::NoCharacter:
        break;
    }
    return line + LoadFormatted(IDS_CLI_NOT_CP932, {Hex(error.byte)});
}

std::string TidyReport(const TidyResult& result) {
    std::string report;
    for (const std::string& change : TidyChanges(result))
        report += change + '\n';
    return report;
}

std::string TidyCommand(std::string_view options, std::string_view file) {
    std::string command = "'tessel-cli tidy";
    if (!options.empty())
        command.append(" ").append(options);
    command += file == "-" ? " -'" : " -i " + ShownName(file) + "'";
    return command;
}

std::string Utf8Warning(const std::string& name, const FileShape& shape, std::string_view file) {
    if (!shape.utf8Line)
        return {};
    return name + ':' + std::to_string(*shape.utf8Line + 1) + ": " +
           LoadFormatted(IDS_WARN_LOOKS_UTF8, {TidyCommand("--encoding utf-8", file)}) + "\n";
}

std::string NumbersWarning(const std::string& name, const FileShape& shape, std::string_view file) {
    if (!shape.numbersMissed)
        return {};
    const TidyResult& tidy = shape.tidy;
    std::string warnings;
    if (tidy.indentedNumbers != 0)
        warnings =
            name + ':' + std::to_string(tidy.firstIndented + 1) + ": " +
            LoadFormatted(tidy.indentedNumbers == 1 ? IDS_WARN_INDENTED_ONE : IDS_WARN_INDENTED,
                          {std::to_string(tidy.indentedNumbers), TidyCommand({}, file)}) +
            "\n";
    else if (tidy.firstBlank == 0)
        warnings =
            name + ": " + LoadFormatted(IDS_WARN_BLANK_FIRST_LINE, {TidyCommand({}, file)}) + "\n";
    for (const std::size_t line : tidy.linesWithoutNumber)
        warnings += name + ':' + std::to_string(line + 1) + ": " +
                    std::string(LoadString(IDS_WARN_NO_NUMBER)) + "\n";
    return warnings;
}

std::string NoNumberHint(const std::string& name, std::string_view text, std::size_t line,
                         std::string_view file) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < line && pos < text.size(); ++i)
        pos += NextLine(text, pos).span;
    const std::string_view content =
        text.substr(std::min(pos, text.size()), NextLine(text, pos).length);
    const auto hint = [&](unsigned id) {
        return name + ": " + LoadFormatted(id, {TidyCommand({}, file)}) + "\n";
    };
    const std::size_t indent = content.find_first_not_of(" \t");
    if (indent == std::string_view::npos)
        return hint(IDS_HINT_BLANK_LINES);
    if (indent != 0 && IsDigit(content[indent]))
        return hint(IDS_HINT_INDENTED);
    if (content.find_first_not_of('\x1a') == std::string_view::npos) {
        std::string tidied;
        if (const TidyResult tidy = Tidy(text, TextEncoding::Cp932, tidied);
            tidy.Ok() && tidy.droppedEndMark)
            return hint(IDS_HINT_END_MARK);
    }
    return {};
}

} // namespace tessel::cli
