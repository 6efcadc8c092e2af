#pragma once

// A document's text as the server holds it, and the bridge between its
// offsets and the client's positions.
//
// The client sends text as UTF-8 (inside JSON); the server holds it as code
// page 932 bytes, as the device, the files and the engine have it, so every
// offset the engine gives is a byte offset into Bytes(). A character that
// code page 932 has no code for (an emoji, "é", a yen sign) cannot be held
// as itself: it is held as the one byte kForeignByte, which no character of
// code page 932 uses, and Foreign() lists each such character with its
// offset, in order. So the text still maps to the client's positions
// exactly, and the characters can be reported as problems (TextProblems.h).
// Every kForeignByte in Bytes() is one of them.
//
// Positions are a line (lines end at CR LF, LF or CR, as the protocol says)
// and a character in the line, counted in UTF-16 code units or UTF-8 bytes.
// Conversions are exact at character boundaries and never split a character:
//
//   - a position past the end of its line is the end of the line (before its
//     line end); a line past the last is the end of the text;
//   - a position inside a character (half of a surrogate pair, inside a
//     UTF-8 sequence) is the start of that character;
//   - an offset inside a double-byte character, or between the CR and the LF
//     of a line end, is the position of that character or line end; an
//     offset past the end is the end of the text.

#include "lsp/Protocol.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::lsp {

// The byte that stands for a character code page 932 cannot hold: 0xFF is
// no character's byte, alone or in a pair.
inline constexpr char kForeignByte = '\xFF';

struct ForeignCharacter {
    std::size_t offset = 0; // of its kForeignByte in Bytes()
    char32_t character = 0; // as the client has it
    friend bool operator==(const ForeignCharacter&, const ForeignCharacter&) = default;
};

class SourceText {
public:
    SourceText() { Index(); }
    // The client's text, valid UTF-8 (a byte that is none is taken as a
    // foreign U+FFFD, so nothing is lost silently and nothing fails).
    explicit SourceText(std::string_view utf8);

    const std::string& Bytes() const { return m_bytes; }
    std::span<const ForeignCharacter> Foreign() const { return m_foreign; }
    // The text as the client holds it, in UTF-8; or the bytes [begin, end),
    // which must not split a character.
    std::string Utf8() const { return Utf8(0, m_bytes.size()); }
    std::string Utf8(std::size_t begin, std::size_t end) const;

    std::size_t LineCount() const { return m_lineStarts.size(); }
    // The offset where line `line` starts; the end of the text past the last.
    std::size_t LineStart(std::size_t line) const;
    // The offset where line `line` ends, before its line end.
    std::size_t LineEnd(std::size_t line) const;
    // The line that byte `offset` is in.
    std::size_t LineOf(std::size_t offset) const;

    Position PositionOf(std::size_t offset, PositionEncoding encoding) const;
    std::size_t OffsetOf(const Position& position, PositionEncoding encoding) const;
    Range RangeOf(std::size_t begin, std::size_t end, PositionEncoding encoding) const;

    // Replaces the bytes [begin, end) with the client's `utf8`; `begin` and
    // `end` are offsets OffsetOf() gave, and `begin` <= `end`.
    void Replace(std::size_t begin, std::size_t end, std::string_view utf8);

private:
    // How long the character at `offset` is: in bytes here, in UTF-16 units
    // and in UTF-8 bytes for the client. `foreign` is the index in
    // m_foreign of the next foreign character at or after `offset`.
    struct Measure {
        std::size_t bytes = 1;
        std::size_t utf16 = 1;
        std::size_t utf8 = 1;
    };
    Measure MeasureAt(std::size_t offset, std::size_t& foreign) const;
    std::size_t FirstForeignAt(std::size_t offset) const;
    void Index();

    std::string m_bytes;
    std::vector<ForeignCharacter> m_foreign;
    std::vector<std::size_t> m_lineStarts;
    // Whether each line holds only ASCII bytes: its characters are its bytes.
    std::vector<bool> m_asciiLine;
};

// The client's UTF-8 text as code page 932 bytes, the characters without a
// code as kForeignByte (their offsets relative to the start of `bytes`).
void ConvertClientText(std::string_view utf8, std::string& bytes,
                       std::vector<ForeignCharacter>& foreign);

} // namespace tessel::lsp
