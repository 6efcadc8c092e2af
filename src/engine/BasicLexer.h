#pragma once

// The tokens of one line of a BASIC program, found as renumbering finds the
// line numbers it rewrites: words are runs of ASCII letters (and one dollar
// sign after them) split into keywords from their start, so TOTAL is TO then
// TAL and REMAIN is REM then a remark; after THEN, ELSE and RESTORE one line
// reference may follow, after GOTO and GOSUB a list of them joined by commas
// (a blank may follow a comma, not stand before it); a string or a label in
// such a place is passed over as an item; REM and an apostrophe end what is
// read of the line, and strings end at their closing quote or at the end of
// the line.
//
// Everything between the words is classified too (numbers, strings,
// operators, labels where they are defined), but never so that it hides a
// letter the reading above would take for the start of a keyword: a number
// 1E5 takes its E (a word of one letter is never a keyword), &HFF its hex
// digits, a variable X1Y its second run of letters only when no keyword
// starts it. A double-byte character of code page 932 is one piece, even
// when its second byte is an ASCII letter.
//
// The lexer reads the text it is given and allocates nothing: tokens are
// pulled one at a time, and NextReference() goes straight to the references
// for a caller that wants only those (renumbering, the program's index).

#include "engine/Keywords.h"
#include "engine/NumberedLine.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tessel {

enum class BasicTokenKind : std::uint8_t {
    LineNumber,     // the digits a line begins with
    Keyword,        // one of the keyword table's: see flag and category
    LineReference,  // a number where renumbering rewrites it
    Label,          // *NAME where it is defined, at the start of a line's text
    LabelReference, // *NAME where a line reference could stand
    String,         // "..." with its quotes; the closing one may be missing
    Remark,         // the text after REM, or an apostrophe and what follows it
    Number,         // 12, 1.5, 1E-3, &H1F
    Variable,       // A, NAME$, X1, with a suffix $ % ! or # where it has one
    Operator,       // + - * / ^ \ = < > <= >= <> &
    Punctuation,    // : ; , ( ) # and the other ASCII signs
    Other,          // double-byte characters, control bytes, bytes that are no character
};

struct BasicToken {
    BasicTokenKind kind = BasicTokenKind::Other;
    // Keyword: its flag. LineReference, LabelReference: the flag of the
    // keyword it follows (THEN, ELSE, RESTORE, GOTO, GOSUB).
    KeywordFlag flag = kKwPlain;
    KeywordCategory category = kKcStatement; // Keyword only
    std::uint32_t begin = 0;                 // bytes into the text lexed
    std::uint32_t end = 0;
    // LineNumber, LineReference: the number's value, as the line table
    // reads it (a value too long for 32 bits is the largest one).
    std::uint32_t value = 0;

    std::uint32_t Length() const { return end - begin; }
};

class BasicLexer {
public:
    // Whether the text is a whole line, beginning with its number, or what
    // follows the number. Either may end in its line end, which is read as
    // the end of the text.
    enum class Start : std::uint8_t { Line, Body };

    explicit BasicLexer(std::string_view text, Start start = Start::Line)
        : m_text(WithoutLineEnd(text)), m_size(static_cast<std::uint32_t>(m_text.size())),
          m_mode(start == Start::Line ? Mode::LineNumber : Mode::Code) {}

    // The next token, false at the end. Blanks and tabs are no tokens.
    bool Next(BasicToken& token);
    // The next LineReference or LabelReference token, the others passed
    // over; the same references, in the same order, as Next() gives.
    bool NextReference(BasicToken& token) { return NextReferences(&token, 1) == 1; }
    // The next references, as many as there are up to `room`, into `out`:
    // how many. Fewer than `room` only at the end of the text.
    std::size_t NextReferences(BasicToken* out, std::size_t room);

private:
    enum class Mode : std::uint8_t {
        LineNumber, // the line's number, if any, comes first
        Code,       // between words
        Word,       // splitting a word into keywords; the rest is a name
        One,        // after THEN, ELSE, RESTORE: one reference may follow
        List,       // after GOTO, GOSUB: a list may follow
        Item,       // an item of a list, right here
        AfterItem,  // a comma and the next item, or the list's end
        Remark,     // the rest of the line after REM
        Done,
    };

    // A line number or a label at m_pos where a reference may stand: the
    // token it makes, or false when neither starts there.
    bool ReferenceItem(BasicToken& token);
    // The end of the word (letters and one dollar sign) that starts at `pos`.
    std::uint32_t WordEnd(std::uint32_t pos) const;
    // The end of a name whose letters run to `wordEnd`.
    std::uint32_t NameEnd(std::uint32_t wordEnd) const;
    // The token for the byte or bytes at m_pos between words, when every
    // token is wanted.
    void Between(BasicToken& token);
    // Whether the label at m_pos is one where it is defined: its name reads
    // as no keyword that changes how the rest of the line is read.
    bool IsPlainLabel(std::uint32_t end) const;
    std::uint32_t StringEnd(std::uint32_t pos) const;
    std::uint32_t LabelEnd(std::uint32_t pos) const;
    void SkipBlanks();
    char At(std::uint32_t pos) const { return pos < m_size ? m_text[pos] : '\0'; }
    // The text without the one line end it may close with.
    static std::string_view WithoutLineEnd(std::string_view text) {
        if (text.empty() || static_cast<unsigned char>(text.back()) > '\r' ||
            (text.back() != '\n' && text.back() != '\r'))
            return text;
        const bool lf = text.back() == '\n';
        text.remove_suffix(1);
        if (lf && !text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        return text;
    }
    void Make(BasicToken& token, BasicTokenKind kind, std::uint32_t end);

    std::string_view m_text;
    std::uint32_t m_size = 0;
    std::uint32_t m_pos = 0;
    std::uint32_t m_wordEnd = 0;
    Mode m_mode = Mode::Code;
    KeywordFlag m_refFlag = kKwPlain; // of the keyword references follow
    bool m_bodyStart = true;          // no token of the line's text yet
};

// The digit run at the start of `text` as ParseDigitRun() reads it, eight
// bytes at a time where eight are there to read: line numbers are short,
// and there is one or more on every line.
inline DigitRun ReadDigitRun(std::string_view text) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::size_t n = text.size();
        if (n != 0) {
            // Eight bytes, or those there are and no digits after them.
            std::uint64_t word = ~std::uint64_t{0};
            if (n >= 8) {
                std::memcpy(&word, text.data(), sizeof word);
            } else {
                const char* const p = text.data();
                const auto load = [](const char* from, auto bytes) {
                    std::memcpy(&bytes, from, sizeof bytes);
                    return static_cast<std::uint64_t>(bytes);
                };
                const std::uint64_t bytes =
                    n >= 4 ? load(p, std::uint32_t{}) | load(p + n - 4, std::uint32_t{})
                                                            << (8 * (n - 4))
                    : n >= 2 ? load(p, std::uint16_t{}) | load(p + n - 2, std::uint16_t{})
                                                              << (8 * (n - 2))
                             : static_cast<unsigned char>(p[0]);
                word = bytes | (~std::uint64_t{0} << (8 * n));
            }
            // Each byte minus '0': a digit is 0 to 9. A byte that is none
            // gets its high bit, the first of them exactly (a borrow or a
            // carry only reaches the bytes after it).
            const std::uint64_t digits = word - 0x3030303030303030u;
            const std::uint64_t others =
                ((digits + 0x7676767676767676u) | digits) & 0x8080808080808080u;
            const int count = std::countr_zero(others) / 8; // 8 when all are digits
            if (count == 0)
                return {};
            if (count < 8) {
                // The digits moved to the top, zeros (leading zeros) below
                // them, then pairs, fours and eights of digits combined.
                std::uint64_t v = digits << (8 * (8 - count));
                v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
                v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
                v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
                return {static_cast<std::uint32_t>(v), static_cast<std::size_t>(count)};
            }
        }
    }
    return ParseDigitRun(text);
}

} // namespace tessel
