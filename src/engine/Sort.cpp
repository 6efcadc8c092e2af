#include "engine/Sort.h"

#include "doc/TextOps.h"
#include "engine/LineTable.h"

#include <algorithm>

namespace tessel {

SortResult SortLines(std::string_view text) {
    SortResult result;
    LineTable lines;
    const LineTableResult built = BuildLineTable(text, lines, TextStorage::View);
    if (!built.Ok()) {
        result.problem = built.problem;
        result.place = built.place;
        return result;
    }
    result.reordered = built.reordered;
    result.text.reserve(text.size() + lines.size());
    for (const NumberedLine& line : lines)
        result.text += line.text;
    return result;
}

std::size_t CaretAfterReorder(std::string_view before, std::size_t offset, std::string_view after) {
    // The caret's line and its column, then its place in number order.
    std::uint32_t number = 0;
    std::size_t column = 0;
    std::size_t digits = 0;
    for (std::size_t pos = 0; pos < before.size();) {
        const LineSpan span = NextLine(before, pos);
        if (offset < pos + span.span || pos + span.span == before.size()) {
            const DigitRun run = ParseDigitRun(before.substr(pos, span.length));
            number = run.value;
            digits = run.length;
            column = std::min(offset - std::min(offset, pos), span.length);
            break;
        }
        pos += span.span;
    }
    std::size_t rank = 0;
    for (std::size_t pos = 0; pos < before.size();) {
        const LineSpan span = NextLine(before, pos);
        if (ParseDigitRun(before.substr(pos, span.length)).value < number)
            ++rank;
        pos += span.span;
    }
    // The line of that rank in the new text.
    std::size_t pos = 0;
    for (; pos < after.size() && rank > 0; --rank)
        pos += NextLine(after, pos).span;
    const LineSpan span = NextLine(after, pos);
    const std::size_t newDigits = ParseDigitRun(after.substr(pos, span.length)).length;
    const std::size_t newColumn =
        column <= digits ? std::min(column, newDigits) : newDigits + (column - digits);
    return pos + std::min(newColumn, span.length);
}

} // namespace tessel
