#include "doc/TextOps.h"

#include "doc/LinePlace.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cstring>

namespace tessel {

LineSpan NextLine(std::string_view text, std::size_t start) {
    if (start >= text.size())
        return {};
    // Two vectorised searches beat one loop over the bytes of the line.
    const char* const begin = text.data() + start;
    const std::size_t rest = text.size() - start;
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', rest));
    const std::size_t limit = lf ? static_cast<std::size_t>(lf - begin) : rest;
    const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', limit));
    const std::size_t n = cr ? static_cast<std::size_t>(cr - begin) : limit;
    if (n == rest)
        return {n, n};
    if (begin[n] == '\r' && n + 1 < rest && begin[n + 1] == '\n')
        return {n, n + 2};
    return {n, n + 1};
}

std::size_t LineAt(std::string_view text, std::size_t offset) {
    std::size_t line = 0;
    for (std::size_t pos = 0;;) {
        const LineSpan span = NextLine(text, pos);
        pos += span.span;
        if (pos > offset || pos >= text.size())
            return line;
        ++line;
    }
}

std::string_view ExtractLine(std::string_view text) {
    return text.substr(0, NextLine(text, 0).span);
}

void ExpandTabs(std::string& text, unsigned width) {
    if (text.find('\t') == std::string::npos)
        return;
    if (width == 0)
        width = 1;
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::size_t column = 0;
    for (char c : text) {
        if (c == '\t') {
            const std::size_t blanks = width - column % width;
            out.append(blanks, ' ');
            column += blanks;
        } else {
            out.push_back(c);
            column = (c == '\r' || c == '\n') ? 0 : column + 1;
        }
    }
    text = std::move(out);
}

std::size_t ExpandedLength(std::string_view line, unsigned width) {
    width = std::max(width, 1u);
    std::size_t column = 0;
    for (const char c : line)
        column += c == '\t' ? width - column % width : 1;
    return column;
}

std::size_t UnexpandedColumn(std::string_view line, std::size_t column, unsigned width) {
    width = std::max(width, 1u);
    std::size_t expanded = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        expanded += line[i] == '\t' ? width - expanded % width : 1;
        if (column < expanded)
            return i;
    }
    return line.size();
}

bool IsLineWithin(std::string_view line, std::size_t limit) {
    std::size_t length = line.size();
    if (line.find("\r\n") != std::string_view::npos)
        length -= 2;
    else if (line.find('\r') != std::string_view::npos || line.find('\n') != std::string_view::npos)
        length -= 1;
    return length <= limit;
}

std::optional<LongLine> ExpandLineTabs(std::string& text, unsigned width,
                                       std::optional<std::size_t> limit) {
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    std::size_t index = 0;
    while (pos < text.size()) {
        const std::size_t span = NextLine(text, pos).span;
        const std::string_view original = std::string_view(text).substr(pos, span);
        std::string expanded;
        std::string_view line = original;
        if (original.find('\t') != std::string_view::npos) {
            expanded.assign(original);
            ExpandTabs(expanded, width);
            line = expanded;
        }
        if (limit && !IsLineWithin(line, *limit))
            return LongLine{index, pos, std::string(line.substr(0, NextLine(line, 0).length))};
        result += line;
        pos += span;
        ++index;
    }
    text = std::move(result);
    return std::nullopt;
}

bool CheckTextSize(std::string_view text) {
    return text.size() <= kMaxTextSize;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t pos = text.find(from);
    if (pos == std::string::npos)
        return;
    std::string out;
    out.reserve(to.size() > from.size() ? text.size() + text.size() / 8 : text.size());
    std::size_t last = 0;
    while (pos != std::string::npos) {
        out.append(text, last, pos - last);
        out.append(to);
        last = pos + from.size();
        pos = text.find(from, last);
    }
    out.append(text, last);
    text = std::move(out);
}

void ToDeviceLineEnds(std::string& text, int endOfLine) {
    if (endOfLine == kEolCr)
        ReplaceAll(text, "\r\n", "\r");
    else if (endOfLine == kEolLf)
        ReplaceAll(text, "\r\n", "\n");
}

EndOfLineCode UniformLineEnd(std::string_view text) {
    const bool cr = text.find('\r') != std::string_view::npos;
    const bool lf = text.find('\n') != std::string_view::npos;
    if (lf && !cr)
        return kEolLf;
    if (cr && !lf)
        return kEolCr;
    return kEolCrLf;
}

void FromDeviceLineEnds(std::string& text, int endOfLine) {
    if (endOfLine == kEolCr)
        ReplaceAll(text, "\r", "\r\n");
    else if (endOfLine == kEolLf)
        ReplaceAll(text, "\n", "\r\n");
}

TextPlace PlaceAt(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 0;
    std::size_t start = 0;
    for (LineSpan span = NextLine(text, 0);
         span.span != 0 && start + span.span <= offset && start + span.span < text.size();
         span = NextLine(text, start)) {
        start += span.span;
        ++line;
    }
    return {line, std::min(offset - start, NextLine(text, start).length), offset};
}

std::optional<std::size_t> FindEndCodeStop(std::string_view sent, std::uint8_t code) {
    // The code that ends the bytes is where the device is meant to stop.
    std::size_t end = sent.size();
    if (end > 0 && static_cast<std::uint8_t>(sent[end - 1]) == code)
        --end;
    const std::size_t at = sent.substr(0, end).find(static_cast<char>(code));
    if (at == std::string_view::npos)
        return std::nullopt;
    // Only line ends after it: the device misses nothing but those.
    if (sent.substr(at + 1, end - at - 1).find_first_not_of("\r\n") == std::string_view::npos)
        return std::nullopt;
    return at;
}

void RemoveEndCode(std::string& text, std::uint8_t code) {
    if (!text.empty() && static_cast<std::uint8_t>(text.back()) == code)
        text.pop_back();
}

void AppendEndCode(std::string& text, std::uint8_t code) {
    if (text.empty() || static_cast<std::uint8_t>(text.back()) != code)
        text.push_back(static_cast<char>(code));
}

std::string ReceivedDataText(std::string received, int endOfLine, std::uint8_t endCode) {
    FromDeviceLineEnds(received, endOfLine);
    RemoveEndCode(received, endCode);
    return received;
}

namespace {

// Where byte `sent` of the bytes a DATA text sends comes from in `text`: its
// lines in order, tabs expanded to `tabWidth`, CR LF as `deviceLineEnd`,
// lone CRs and LFs as they are. A byte of a line end: where that starts.
std::size_t DataSendOrigin(std::string_view text, std::size_t sent, unsigned tabWidth,
                           std::size_t deviceLineEnd) {
    std::size_t at = 0; // where the current line starts in the bytes sent
    for (std::size_t pos = 0; pos < text.size();) {
        const LineSpan span = NextLine(text, pos);
        const std::string_view content = text.substr(pos, span.length);
        const std::size_t length = ExpandedLength(content, tabWidth);
        if (sent < at + length)
            return pos + UnexpandedColumn(content, sent - at, tabWidth);
        const std::size_t ending = span.span - span.length;
        at += length + (ending == 2 ? deviceLineEnd : ending);
        if (sent < at)
            return pos + span.length;
        pos += span.span;
    }
    return text.size();
}

} // namespace

SendResult EndCodeInside(std::string_view text, std::size_t origin,
                         std::uint32_t (*numberOf)(std::string_view line)) {
    const TextPlace at = PlaceAt(text, origin);
    const std::string_view line = text.substr(at.offset - at.column);
    SendResult result;
    result.problem = Problem::AtLine(IDS_END_CODE_INSIDE, at.line, at.offset);
    result.problem.column = at.column;
    result.place = EndCodePlace(
        at.line, numberOf ? numberOf(line.substr(0, NextLine(line, 0).length)) : 0, at.column);
    return result;
}

SendResult DataSendText(std::string_view text, unsigned tabWidth, int endOfLine,
                        std::uint8_t endCode) {
    SendResult result;
    if (text.empty())
        return result;
    std::string sent(text);
    ToDeviceLineEnds(sent, endOfLine);
    ExpandLineTabs(sent, tabWidth, std::nullopt);
    AppendEndCode(sent, endCode);
    // The device stops at the first end code it reads: one inside the
    // bytes would cut the send short while it looked complete.
    if (const auto stop = FindEndCodeStop(sent, endCode)) {
        const std::size_t lineEnd = endOfLine == kEolCrLf ? 2 : 1;
        return EndCodeInside(text, DataSendOrigin(text, *stop, tabWidth, lineEnd));
    }
    result.bytes = std::move(sent);
    return result;
}

} // namespace tessel
