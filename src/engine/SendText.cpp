#include "engine/SendText.h"

#include "doc/LinePlace.h"
#include "doc/TextOps.h"
#include "engine/LineTable.h"
#include "engine/Numbering.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"

#include <utility>
#include <vector>

namespace tessel {
namespace {

// Where byte `sent` of the bytes that SendText made of `text` from the
// ordered `lines` comes from in `text`; for a byte of a line end, where that
// line end starts.
std::size_t SendOrigin(std::string_view text, const LineTable& lines, const SendOptions& options,
                       std::size_t sent) {
    const std::size_t lineEnd = options.endOfLine == kEolCrLf ? 2 : 1;
    std::vector<std::size_t> starts; // of the lines of `text`
    for (std::size_t pos = 0; pos < text.size(); pos += NextLine(text, pos).span)
        starts.push_back(pos);
    std::size_t at = 0; // where the current line starts in the bytes sent
    for (const NumberedLine& line : lines) {
        const std::string_view out =
            options.numbers == SendNumbers::With ? line.text : WithoutNumber(line.text);
        const std::size_t length = out.size() - 2; // without its CR LF
        const std::size_t start = starts[line.textLine];
        const std::string_view content = text.substr(start, NextLine(text, start).length);
        if (sent < at + length) {
            // A column of the line as sent, tabs expanded, number dropped or not.
            const std::size_t column = line.text.size() - out.size() + (sent - at);
            return start + UnexpandedColumn(content, column, options.tabStop);
        }
        at += length + lineEnd;
        if (sent < at)
            return start + content.size();
    }
    return text.size();
}

} // namespace

SendOptions SendOptions::For(const AppSettings& settings, SendNumbers numbers) {
    return {settings.tabStop, static_cast<int>(settings.m_comSettings.EndOfLine),
            settings.m_comSettings.EndCode(), numbers};
}

SendResult SendText(std::string_view original, const SendOptions& options) {
    SendResult result;
    if (original.empty())
        return result;
    std::string text(original);
    if (const auto tooLong = ExpandLineTabs(text, options.tabStop, kMaxLineLength)) {
        result.problem = Problem::AtLine(IDS_LINE_TOO_LONG, tooLong->line, tooLong->offset);
        result.place = LongLinePlace(tooLong->line, DeviceLineNumber(tooLong->expanded),
                                     tooLong->expanded.size());
        return result;
    }

    LineTable lines;
    if (!BuildLineTable(text, lines, TextStorage::View).Ok()) {
        // Tabs change no number: the text as given has the same fault,
        // which is named at its place there.
        LineTable unexpanded;
        const LineTableResult built = BuildLineTable(original, unexpanded, TextStorage::View);
        result.problem = built.problem;
        result.place = built.place;
        return result;
    }
    std::string joined;
    joined.reserve(text.size() + 2 * lines.size() + 1);
    for (const NumberedLine& line : lines)
        joined += options.numbers == SendNumbers::With ? line.text : WithoutNumber(line.text);
    ToDeviceLineEnds(joined, options.endOfLine);
    AppendEndCode(joined, options.endCode);
    // The device stops at the first end code it reads: one inside the
    // bytes would cut the send short while it looked complete.
    if (const auto stop = FindEndCodeStop(joined, options.endCode))
        return EndCodeInside(original, SendOrigin(original, lines, options, *stop),
                             DeviceLineNumber);
    result.bytes = std::move(joined);
    return result;
}

} // namespace tessel
