#include "lsp/SourceCode.h"

#include "encoding/Cp932.h"

#include <algorithm>

namespace tessel::lsp {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::size_t Utf8Length(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// The character at `i` of `in`, and `i` moved past it; U+FFFD for one byte
// when the bytes there are no UTF-8 character.
char32_t ReadUtf8(std::string_view in, std::size_t& i) {
    const cp932::Utf8Char c = cp932::ReadUtf8(in, i);
    if (c.length == 0) {
        ++i;
        return kReplacement;
    }
    i += c.length;
    return c.value;
}

} // namespace

void ConvertClientText(std::string_view utf8, std::string& bytes,
                       std::vector<ForeignCharacter>& foreign) {
    bytes.clear();
    foreign.clear();
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = ReadUtf8(utf8, i);
        const std::optional<std::uint16_t> code = cp932::CodeOf(c);
        if (!code) {
            foreign.push_back({bytes.size(), c});
            bytes += kForeignByte;
            continue;
        }
        if (*code >= 0x100)
            bytes += static_cast<char>(*code >> 8);
        bytes += static_cast<char>(*code & 0xFF);
    }
}

SourceText::SourceText(std::string_view utf8) {
    ConvertClientText(utf8, m_bytes, m_foreign);
    Index();
}

void SourceText::Index() {
    m_lineStarts.assign(1, 0);
    m_asciiLine.assign(1, true);
    const std::size_t n = m_bytes.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = m_bytes[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            m_asciiLine.back() = false;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && m_bytes[i + 1] == '\n')
                ++i;
            m_lineStarts.push_back(i + 1);
            m_asciiLine.push_back(true);
        }
    }
}

std::size_t SourceText::LineStart(std::size_t line) const {
    return line < m_lineStarts.size() ? m_lineStarts[line] : m_bytes.size();
}

std::size_t SourceText::LineEnd(std::size_t line) const {
    if (line + 1 >= m_lineStarts.size())
        return m_bytes.size();
    const std::size_t next = m_lineStarts[line + 1];
    const bool crlf = next >= 2 && m_bytes[next - 1] == '\n' && m_bytes[next - 2] == '\r' &&
                      next - 2 >= m_lineStarts[line];
    return next - (crlf ? 2 : 1);
}

std::size_t SourceText::LineOf(std::size_t offset) const {
    const auto next = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return static_cast<std::size_t>(next - m_lineStarts.begin()) - 1;
}

std::size_t SourceText::FirstForeignAt(std::size_t offset) const {
    const auto at = std::lower_bound(
        m_foreign.begin(), m_foreign.end(), offset,
        [](const ForeignCharacter& f, std::size_t value) { return f.offset < value; });
    return static_cast<std::size_t>(at - m_foreign.begin());
}

SourceText::Measure SourceText::MeasureAt(std::size_t offset, std::size_t& foreign) const {
    const auto b = static_cast<unsigned char>(m_bytes[offset]);
    if (b < 0x80)
        return {1, 1, 1};
    if (m_bytes[offset] == kForeignByte && foreign < m_foreign.size() &&
        m_foreign[foreign].offset == offset) {
        const char32_t c = m_foreign[foreign++].character;
        return {1, c >= 0x10000 ? 2u : 1u, Utf8Length(c)};
    }
    if (cp932::IsLeadByte(m_bytes[offset]) && offset + 1 < m_bytes.size()) {
        const std::u16string unit = cp932::Decode(std::string_view(m_bytes).substr(offset, 2));
        if (unit.size() == 1)
            return {2, 1, Utf8Length(cp932::StandsFor(unit[0]))};
    }
    // Half-width katakana (U+FF61-U+FF9F); a byte that starts no character
    // counts as the editor's mark for it, one unit too.
    return {1, 1, 3};
}

Position SourceText::PositionOf(std::size_t offset, PositionEncoding encoding) const {
    offset = std::min(offset, m_bytes.size());
    const std::size_t line = LineOf(offset);
    const std::size_t start = m_lineStarts[line];
    offset = std::min(offset, LineEnd(line));
    std::size_t units = 0;
    if (m_asciiLine[line]) {
        units = offset - start;
    } else {
        std::size_t foreign = FirstForeignAt(start);
        for (std::size_t i = start; i < offset;) {
            const Measure m = MeasureAt(i, foreign);
            if (i + m.bytes > offset)
                break; // inside this character: its position
            units += encoding == PositionEncoding::Utf8 ? m.utf8 : m.utf16;
            i += m.bytes;
        }
    }
    return {static_cast<std::uint32_t>(line), static_cast<std::uint32_t>(units)};
}

std::size_t SourceText::OffsetOf(const Position& position, PositionEncoding encoding) const {
    if (position.line >= m_lineStarts.size())
        return m_bytes.size();
    const std::size_t start = m_lineStarts[position.line];
    const std::size_t end = LineEnd(position.line);
    if (m_asciiLine[position.line])
        return start + std::min<std::size_t>(position.character, end - start);
    std::size_t foreign = FirstForeignAt(start);
    std::size_t units = 0;
    std::size_t i = start;
    while (i < end && units < position.character) {
        const std::size_t at = i;
        const Measure m = MeasureAt(i, foreign);
        units += encoding == PositionEncoding::Utf8 ? m.utf8 : m.utf16;
        if (units > position.character)
            return at; // inside this character: its start
        i += m.bytes;
    }
    return i;
}

Range SourceText::RangeOf(std::size_t begin, std::size_t end, PositionEncoding encoding) const {
    return {PositionOf(begin, encoding), PositionOf(end, encoding)};
}

std::string SourceText::Utf8(std::size_t begin, std::size_t end) const {
    end = std::min(end, m_bytes.size());
    begin = std::min(begin, end);
    std::string out;
    out.reserve((end - begin) * 3 / 2);
    std::size_t foreign = FirstForeignAt(begin);
    std::string piece;
    for (std::size_t i = begin; i < end;) {
        // The run up to the next foreign character converts as a whole.
        const std::size_t next =
            foreign < m_foreign.size() ? std::min(m_foreign[foreign].offset, end) : end;
        if (next > i) {
            if (cp932::ToUtf8(std::string_view(m_bytes).substr(i, next - i), piece)) {
                // Only bytes the client never sent fail: each as U+FFFD.
                for (std::size_t k = i; k < next; ++k)
                    cp932::AppendUtf8(out, static_cast<unsigned char>(m_bytes[k]) < 0x80
                                               ? static_cast<char32_t>(m_bytes[k])
                                               : kReplacement);
            } else {
                out += piece;
            }
            i = next;
        }
        if (i < end) {
            cp932::AppendUtf8(out, m_foreign[foreign++].character);
            ++i;
        }
    }
    return out;
}

void SourceText::Replace(std::size_t begin, std::size_t end, std::string_view utf8) {
    end = std::min(end, m_bytes.size());
    begin = std::min(begin, end);
    std::string bytes;
    std::vector<ForeignCharacter> added;
    ConvertClientText(utf8, bytes, added);

    const std::size_t first = FirstForeignAt(begin);
    const std::size_t last = FirstForeignAt(end);
    for (std::size_t k = last; k < m_foreign.size(); ++k)
        m_foreign[k].offset = m_foreign[k].offset - end + begin + bytes.size();
    for (ForeignCharacter& f : added)
        f.offset += begin;
    const auto at = m_foreign.erase(m_foreign.begin() + static_cast<std::ptrdiff_t>(first),
                                    m_foreign.begin() + static_cast<std::ptrdiff_t>(last));
    m_foreign.insert(at, added.begin(), added.end());
    m_bytes.replace(begin, end - begin, bytes);
    Index();
}

} // namespace tessel::lsp
