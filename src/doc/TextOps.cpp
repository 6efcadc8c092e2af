#include "doc/TextOps.h"

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

bool IsLineWithin(std::string_view line, std::size_t limit) {
    std::size_t length = line.size();
    if (line.find("\r\n") != std::string_view::npos)
        length -= 2;
    else if (line.find('\r') != std::string_view::npos || line.find('\n') != std::string_view::npos)
        length -= 1;
    return length <= limit;
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

std::optional<TextPlace> FindEndCodeInside(std::string_view text, std::uint8_t code,
                                           int endOfLine) {
    // Where the text's last line ends and only line ends follow.
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    // The first byte inside a line that stops the device (a tab goes as
    // blanks): a line end is never the code here, since lines hold none.
    const auto firstStop = [&](std::size_t from) {
        const std::size_t found = text.find(static_cast<char>(code), from);
        return code == ' ' ? std::min(found, text.find('\t', from)) : found;
    };
    std::size_t at = std::string_view::npos;
    if (code != '\r' && code != '\n') {
        at = firstStop(0);
        if (at + 1 == end) // where the code belongs: at the very end
            at = firstStop(at + 1);
        if (at >= end)
            at = std::string_view::npos;
    } else if (code == '\r' ? endOfLine != kEolLf : endOfLine != kEolCr) {
        // The code is part of every line end: the first one that has text
        // after it stops the device there.
        const LineSpan first = NextLine(text, 0);
        if (first.span > first.length && first.length < end)
            at = first.length;
    }
    if (at == std::string_view::npos)
        return std::nullopt;
    // The line and column of `at`.
    std::size_t line = 0;
    std::size_t start = 0;
    for (LineSpan span = NextLine(text, 0); start + span.span <= at && span.span != 0;
         span = NextLine(text, start)) {
        start += span.span;
        ++line;
    }
    return TextPlace{line, at - start, at};
}

void RemoveEndCode(std::string& text, std::uint8_t code) {
    if (!text.empty() && static_cast<std::uint8_t>(text.back()) == code)
        text.pop_back();
}

void AppendEndCode(std::string& text, std::uint8_t code) {
    if (text.empty() || static_cast<std::uint8_t>(text.back()) != code)
        text.push_back(static_cast<char>(code));
}

} // namespace tessel
