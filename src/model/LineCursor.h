#pragma once

// What the small lexers of C, assembler and CASL share: a position in the
// text of one line after its number, and tokens appended with positions in
// the whole line.

#include "encoding/Cp932.h"
#include "model/Token.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tessel {

class LineCursor {
public:
    // `text` starts `offset` bytes into its line.
    LineCursor(std::string_view text, std::uint32_t offset, std::vector<Token>& out)
        : m_text(text), m_size(static_cast<std::uint32_t>(text.size())), m_offset(offset),
          m_out(out) {}

    bool AtEnd() const { return m_pos >= m_size; }
    std::uint32_t Pos() const { return m_pos; }
    std::uint32_t Size() const { return m_size; }
    char At(std::uint32_t pos) const { return pos < m_size ? m_text[pos] : '\0'; }
    char Peek(std::uint32_t ahead = 0) const { return At(m_pos + ahead); }
    std::string_view Slice(std::uint32_t begin, std::uint32_t end) const {
        return m_text.substr(begin, end - begin);
    }

    void SkipBlanks() {
        while (m_pos < m_size && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
    }

    // A token from here to `end`, which becomes the position.
    void Emit(TokenKind kind, std::uint32_t end, KeywordCategory category = kKcStatement) {
        m_out.push_back({kind, category, m_offset + m_pos, m_offset + end});
        m_pos = end;
    }

    // The end of the run of name characters (ASCII letters, digits and the
    // `extra` ones) from `pos`.
    std::uint32_t NameEnd(std::uint32_t pos, std::string_view extra = "_") const {
        while (pos < m_size && (IsLetter(m_text[pos]) || IsDigit(m_text[pos]) ||
                                extra.find(m_text[pos]) != std::string_view::npos))
            ++pos;
        return pos;
    }

    // The end of a quoted string from here: through the closing `quote`,
    // past any character after `escape` (none when it is 0), or to the
    // line's end. A doubled quote stays inside when `doubled`.
    std::uint32_t QuotedEnd(char quote, char escape, bool doubled = false) const {
        std::uint32_t pos = m_pos + 1;
        while (pos < m_size) {
            const char c = m_text[pos];
            if (escape != 0 && c == escape) {
                pos += 2;
            } else if (c == quote) {
                if (!doubled || At(pos + 1) != quote)
                    return pos + 1;
                pos += 2;
            } else {
                pos += IsHigh(c) ? CharacterAt(pos) : 1;
            }
        }
        return m_size;
    }

    // A byte no lexer knows: a run of double-byte characters and other
    // bytes from 0x80 up (a double-byte character always whole), or one
    // byte: punctuation when it is a printable ASCII sign.
    void Other() {
        const char c = m_text[m_pos];
        if (!IsHigh(c)) {
            const auto byte = static_cast<unsigned char>(c);
            Emit(byte > 0x20 && byte < 0x7F ? TokenKind::Punctuation : TokenKind::Other, m_pos + 1);
            return;
        }
        std::uint32_t end = m_pos;
        while (end < m_size && IsHigh(m_text[end]))
            end += CharacterAt(end);
        Emit(TokenKind::Other, end);
    }

    static bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }
    static char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

private:
    std::uint32_t CharacterAt(std::uint32_t pos) const {
        return cp932::CharacterBytes(m_text, pos) == 2 ? 2 : 1;
    }

    std::string_view m_text;
    std::uint32_t m_size;
    std::uint32_t m_offset;
    std::uint32_t m_pos = 0;
    std::vector<Token>& m_out;
};

} // namespace tessel
