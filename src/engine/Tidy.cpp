#include "engine/Tidy.h"

#include "doc/LinePlace.h"
#include "doc/TextOps.h"
#include "engine/LineTable.h"
#include "engine/NumberedLine.h"
#include "engine/Numbering.h"
#include "res/StringTable.h"

#include <algorithm>

namespace tessel {
namespace {

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

bool IsNumberedText(std::string_view text) {
    std::optional<bool> firstNumbered;
    std::size_t lines = 0;
    std::size_t numbered = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const LineSpan span = NextLine(text, pos);
        const std::string_view line = text.substr(pos, span.length);
        pos += span.span;
        if (IsBlankLine(line))
            continue;
        const bool number = HasNumberAfter(line, Indent(line));
        if (!firstNumbered)
            firstNumbered = number;
        ++lines;
        numbered += number ? 1 : 0;
    }
    return firstNumbered.value_or(false) || 2 * numbered > lines;
}

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

    result.numbered = IsNumberedText(text);
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
            if (result.blankLines++ == 0)
                result.firstBlank = lineIndex;
            continue;
        }
        if (!HasNumberAfter(line, indent)) {
            if (IsEndMark(line, text.substr(pos))) {
                result.droppedEndMark = true;
                continue;
            }
            result.linesWithoutNumber.push_back(lineIndex);
            continue;
        }
        if (indent != 0 && result.indentedNumbers++ == 0)
            result.firstIndented = lineIndex;
        output.append(whole.substr(indent));
    }
    if (!result.linesWithoutNumber.empty()) {
        output.clear();
        result.lineWithoutNumber = true;
        result.line = result.linesWithoutNumber.front();
    }
    return result;
}

std::vector<std::string> TidyChanges(const TidyResult& result) {
    std::vector<std::string> changes;
    const auto add = [&changes](std::size_t n, unsigned one, unsigned many) {
        if (n != 0)
            changes.push_back(LoadFormatted(n == 1 ? one : many, {std::to_string(n)}));
    };
    add(result.convertedLines, IDS_TIDY_CONVERTED_ONE, IDS_TIDY_CONVERTED);
    add(result.droppedByteOrderMark, IDS_TIDY_BYTE_ORDER_MARK, IDS_TIDY_BYTE_ORDER_MARK);
    add(result.blankLines, IDS_TIDY_BLANK_LINE, IDS_TIDY_BLANK_LINES);
    add(result.indentedNumbers, IDS_TIDY_INDENT_ONE, IDS_TIDY_INDENTS);
    add(result.droppedEndMark, IDS_TIDY_END_MARK, IDS_TIDY_END_MARK);
    return changes;
}

TidiedText TidyShownText(std::string_view shown, bool numbersAdded) {
    TidiedText tidied;
    const std::string own = numbersAdded ? RemoveLineNumbers(shown) : std::string(shown);
    tidied.report = Tidy(own, TextEncoding::Cp932, tidied.text);
    if (!tidied.report.Ok()) {
        // Removing the added numbers keeps the lines: the line is the
        // shown text's line too. The place says how it begins in the file.
        const std::size_t line = tidied.report.line;
        const std::size_t start = LineStart(own, line);
        tidied.problem = Problem::AtLine(IDS_LINE_NO_NUMBER, line, LineStart(shown, line));
        tidied.place =
            NoNumberPlace(line, std::string_view(own).substr(start, NextLine(own, start).length));
        tidied.text.clear();
        return tidied;
    }
    if (!tidied.report.numbered)
        tidied.text = shown;
    return tidied;
}

} // namespace tessel
