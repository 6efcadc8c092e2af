#include "cli/CliFileText.h"

#include "cli/CliOptions.h"
#include "doc/TextOps.h"
#include "engine/LineWithNum.h"

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
    std::string line = name + ':' + LineOf(text, error.offset) + ": ";
    switch (error.problem) {
    case cp932::ConversionProblem::NotUtf8:
        return line + "byte 0x" + Hex(error.byte) +
               " is not UTF-8; a file in code page 932 is read without --encoding utf-8";
    case cp932::ConversionProblem::NotInCodePage:
        line += cp932::NameCharacter(error.character) +
                " has no code in code page 932, the device's character set; change or remove it";
        if (error.character == 0xA5)
            line += " (code page 932 has no yen sign of its own: byte 0x5c is the backslash)";
        return line;
    case cp932::ConversionProblem::NoCharacter:
        break;
    }
    return line + "byte 0x" + Hex(error.byte) +
           " is no character of code page 932 and cannot be written as UTF-8; write the file "
           "with --encoding cp932";
}

std::string TidyReport(const TidyResult& result) {
    const auto count = [](std::size_t n, std::string_view one, std::string_view many) {
        return std::to_string(n) + ' ' + std::string(n == 1 ? one : many);
    };
    std::string report;
    if (result.convertedLines != 0)
        report += "converted " + count(result.convertedLines, "line", "lines") +
                  " from UTF-8 to code page 932\n";
    if (result.droppedByteOrderMark)
        report += "removed the UTF-8 byte order mark\n";
    if (result.blankLines != 0)
        report += "removed " + count(result.blankLines, "blank line", "blank lines") + '\n';
    if (result.indentedNumbers != 0)
        report += "removed the blanks before " +
                  count(result.indentedNumbers, "line number", "line numbers") + '\n';
    if (result.droppedEndMark)
        report += "removed the end-of-file mark ^Z (0x1A) after the last line\n";
    return report;
}

std::string TidyCommand(std::string_view options, std::string_view file) {
    std::string command = "'tessel-cli tidy";
    if (!options.empty())
        command.append(" ").append(options);
    command += file == "-" ? " -'" : " -i " + ShownName(file) + "'";
    return command;
}

std::string Utf8Warning(const std::string& name, std::string_view text, std::string_view file) {
    const auto offset = cp932::LooksLikeUtf8(text);
    if (!offset)
        return {};
    return name + ':' + LineOf(text, *offset) +
           ": warning: the file looks like UTF-8 (this line has characters beyond ASCII), but "
           "the device reads code page 932; convert it with " +
           TidyCommand("--encoding utf-8", file) + ", or read it with --encoding utf-8\n";
}

std::string IndentWarning(const std::string& name, std::string_view text, std::string_view file) {
    std::string tidied;
    const TidyResult tidy = Tidy(text, TextEncoding::Cp932, tidied);
    if (!tidy.numbered)
        return {};
    if (tidy.indentedNumbers == 0)
        return name +
               ": warning: the file begins with a blank line, so it is taken as having no line "
               "numbers and its lines get new ones in front of theirs; remove the blank lines "
               "with " +
               TidyCommand({}, file) + "\n";
    return name + ':' + std::to_string(tidy.firstIndented + 1) +
           ": warning: " + std::to_string(tidy.indentedNumbers) +
           (tidy.indentedNumbers == 1 ? " line begins" : " lines begin") +
           " with blanks and a number (this is the first), so the file is taken as having no "
           "line numbers and gets new ones in front of them; remove the blanks with " +
           TidyCommand({}, file) + "\n";
}

std::string NoNumberHint(const std::string& name, std::string_view text, std::size_t line,
                         std::string_view file) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < line && pos < text.size(); ++i)
        pos += NextLine(text, pos).span;
    const std::string_view content =
        text.substr(std::min(pos, text.size()), NextLine(text, pos).length);
    const std::size_t indent = content.find_first_not_of(" \t");
    if (indent == std::string_view::npos)
        return name + ": blank lines can be removed with " + TidyCommand({}, file) + "\n";
    if (indent != 0 && IsDigit(content[indent]))
        return name + ": the blanks before line numbers can be removed with " +
               TidyCommand({}, file) + "\n";
    if (content.find_first_not_of('\x1a') == std::string_view::npos) {
        std::string tidied;
        if (const TidyResult tidy = Tidy(text, TextEncoding::Cp932, tidied);
            tidy.Ok() && tidy.droppedEndMark)
            return name +
                   ": the end-of-file mark ^Z (0x1A) after the last line can be removed "
                   "with " +
                   TidyCommand({}, file) + "\n";
    }
    return {};
}

} // namespace tessel::cli
