#include "engine/Numbering.h"

#include "doc/TextOps.h"
#include "engine/NumberedLine.h"

#include <charconv>

namespace tessel {
namespace {

void AppendNumber(std::string& out, std::uint64_t number) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(digits, result.ptr);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether the text begins with a digit, or with blanks and a digit: a number
// put right before it would run into those digits.
bool NeedsSeparator(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i < text.size() && IsDigit(text[i]);
}

// Appends `number` and what numbering puts between it and `line`.
void AppendNumberFor(std::string& out, std::uint64_t number, std::string_view line) {
    AppendNumber(out, number);
    if (NeedsSeparator(line))
        out += ' ';
}

} // namespace

std::string_view WithoutNumber(std::string_view line) {
    const std::size_t digits = ParseDigitRun(line).length;
    std::string_view rest = line.substr(digits);
    if (digits != 0 && !rest.empty() && rest.front() == ' ' && NeedsSeparator(rest.substr(1)))
        rest.remove_prefix(1);
    return rest;
}

bool StartsWithLineNum(std::string_view text) {
    return !text.empty() && IsDigit(text.front());
}

void InsertLineNum(std::string& line, std::uint64_t number) {
    std::string numbered;
    numbered.reserve(line.size() + 7);
    AppendNumberFor(numbered, number, line);
    numbered += line;
    line = std::move(numbered);
}

void DeleteLineNum(std::string& line) {
    line.erase(0, line.size() - WithoutNumber(line).size());
}

std::string NumberLines(std::string_view text, std::uint64_t start, std::uint64_t step) {
    // Kept in 64 bits so a huge start or step from the settings file gives
    // numbers that are plainly out of range, never numbers that wrap round.
    std::uint64_t next = start;
    std::string out;
    out.reserve(text.size() + text.size() / 4 + 8);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t span = NextLine(text, pos).span;
        const std::string_view line = text.substr(pos, span);
        AppendNumberFor(out, next, line);
        out += line;
        next += step;
        pos += span;
    }
    return out;
}

std::string RemoveLineNumbers(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t span = NextLine(text, pos).span;
        out += WithoutNumber(text.substr(pos, span));
        pos += span;
    }
    return out;
}

} // namespace tessel
