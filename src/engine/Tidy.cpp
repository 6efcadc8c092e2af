#include "engine/Tidy.h"

#include "doc/TextOps.h"
#include "engine/LineWithNum.h"

#include <algorithm>

namespace tessel {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The blanks and tabs a line begins with.
std::size_t Indent(std::string_view line) {
    const auto end = std::ranges::find_if_not(line, IsBlank);
    return static_cast<std::size_t>(end - line.begin());
}

bool IsBlankLine(std::string_view line) {
    return Indent(line) == line.size();
}

bool HasNumberAfter(std::string_view line, std::size_t indent) {
    return indent < line.size() && IsDigit(line[indent]);
}

// Whether the text is taken as numbered: its first line that is not blank
// begins with a digit after any blanks.
bool IsNumbered(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const LineSpan span = NextLine(text, pos);
        const std::string_view line = text.substr(pos, span.length);
        if (!IsBlankLine(line))
            return HasNumberAfter(line, Indent(line));
        pos += span.span;
    }
    return false;
}

// A line of the end-of-file mark ^Z alone, with nothing but blank lines
// after it: what DOS editors end a file with.
bool IsEndMark(std::string_view line, std::string_view rest) {
    return !line.empty() && line.find_first_not_of('\x1a') == std::string_view::npos &&
           rest.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::size_t LinesBeyondAscii(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const LineSpan span = NextLine(text, pos);
        count += std::ranges::any_of(text.substr(pos, span.length),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        pos += span.span;
    }
    return count;
}

} // namespace

TidyResult Tidy(std::string_view input, TextEncoding encoding, std::string& output) {
    TidyResult result;
    output.clear();
    std::string converted;
    std::string_view text = input;
    if (encoding == TextEncoding::Utf8) {
        result.conversion = cp932::FromUtf8(input, converted, &result.droppedByteOrderMark);
        if (result.conversion) {
            result.line = LineAt(input, result.conversion->offset);
            return result;
        }
        // Lines are counted alike in both: line ends are the same bytes.
        result.convertedLines = LinesBeyondAscii(converted);
        text = converted;
    }

    result.numbered = IsNumbered(text);
    if (!result.numbered) {
        output.assign(text);
        return result;
    }
    output.reserve(text.size());
    std::size_t lineIndex = 0;
    for (std::size_t pos = 0; pos < text.size(); ++lineIndex) {
        const LineSpan span = NextLine(text, pos);
        const std::string_view line = text.substr(pos, span.length);
        const std::string_view whole = text.substr(pos, span.span);
        pos += span.span;
        const std::size_t indent = Indent(line);
        if (indent == line.size()) {
            ++result.blankLines;
            continue;
        }
        if (!HasNumberAfter(line, indent)) {
            if (IsEndMark(line, text.substr(pos))) {
                result.droppedEndMark = true;
                continue;
            }
            output.clear();
            result.lineWithoutNumber = true;
            result.line = lineIndex;
            return result;
        }
        if (indent != 0 && result.indentedNumbers++ == 0)
            result.firstIndented = lineIndex;
        output.append(whole.substr(indent));
    }
    return result;
}

} // namespace tessel
