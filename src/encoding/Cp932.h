#pragma once

// The bridge between a document's bytes and the editor widget's text.
//
// Documents are code page 932 bytes with CR LF line ends; the widget holds
// UTF-16 with '\n' between lines. Decode() and Encode() convert between the
// two so that every byte string comes back byte for byte: Encode(Decode(b)) == b
// for any b. Bytes that are no character of the code page still get one
// visible character each, a mark that Encode() turns back into that byte:
//
//   CR LF                      '\n', the only line break
//   a lone CR, a lone LF       U+240D, U+240A (control pictures), inside the line
//   0x09                       a tab
//   other bytes 0x00-0x1F      U+2400 + byte (control pictures)
//   0x7F                       U+2421
//   a byte 0x80-0xFF that      U+F700 + byte (private use, U+F780-U+F7FF), one
//   starts no character        per byte: an undefined single byte (0x80, 0xA0,
//                              0xFD-0xFF), a lead byte at the end of the text or
//                              before a byte that does not complete it; decoding
//                              goes on at the byte after the lead
//   a double-byte code whose   a private-use stand-in, U+F000-U+F18D (see below)
//   character has another,
//   preferred code
//
// Code page 932 has 398 codes for characters that already have a code: NEC
// row 13 repeats symbols of row 2, and the IBM extension rows 0xFA-0xFC are
// repeated in the NEC-selected rows 0xED/0xEE. A character encodes to one
// code (the one Windows writes), so the others cannot come back from the
// character itself. Each of them decodes to its own stand-in instead, which
// the widget shows as an unknown character and StandsFor() names.
//
// An edit must keep every character as it shows. Two neighbours can read as
// one character once they stand side by side: a placeholder for a lead
// byte and a character whose first byte completes it (0x81 and "@" are an
// ideographic space), or a lone CR and a lone LF (a line break). Decode()
// never puts such neighbours side by side; an edit that would (deleting what
// stood between them, or inserting such a character after the placeholder)
// is refused: KeepsApart() says whether a piece of text still decodes to
// itself.
//
// Widget positions count UTF-16 code units. Every unit of decoded text is one
// or two bytes: a double-byte character and '\n' are two, so offsets convert
// exactly in both directions (ByteOffset(), Position(), OffsetIndex).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cp932 {

// Whether `c` is the first byte of a double-byte character (0x81-0x9F,
// 0xE0-0xFC); the byte after it belongs to the same character.
constexpr bool IsLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The bytes of the character that starts at `offset` of `bytes`, as Decode()
// reads them: 2 for a defined double-byte code, 1 for a single byte that is
// a character (control bytes included), 0 for a byte that starts no
// character (an undefined single byte, a lead byte at the end or before a
// byte that does not complete it).
std::size_t CharacterBytes(std::string_view bytes, std::size_t offset);

// The bytes as the widget shows them.
std::u16string Decode(std::string_view bytes);

// Why a piece of text cannot go into a document.
enum class RefusalReason {
    // The character has no code (nor is it one of the marks above). A
    // surrogate pair is always refused: every character of the code page is
    // in the Basic Multilingual Plane.
    NotInCodePage,
    // The character would be saved as a NUL byte, where the text ends when
    // the file is opened again. Only typed or pasted text is refused for it.
    NulByte,
};

struct Refusal {
    RefusalReason reason = RefusalReason::NotInCodePage;
    std::size_t position = 0; // of the character's first code unit
    std::size_t length = 1;   // code units: 2 for a surrogate pair
    char32_t character = 0;   // a lone surrogate is reported as itself
};

// The widget's text as document bytes, into `bytes`. Line breaks become CR
// LF: '\n', U+2028 and U+2029 each, and '\r' too except that "\r\n" is one
// break. Nothing when every character has a code; otherwise the first one
// that has none, and `bytes` is left empty.
std::optional<Refusal> Encode(std::u16string_view text, std::string& bytes);

// Checks text about to be typed or pasted into the widget: the first
// character Encode() would refuse, or that would save as a NUL byte.
std::optional<Refusal> CheckInput(std::u16string_view text);
// Text that passed CheckInput() in the form the widget should insert: a
// control character other than tab and the line breaks becomes its visible
// mark, and every line break becomes '\n'. It encodes to the same bytes as
// the text pasted.
std::u16string PrepareInput(std::u16string_view text);

// A character for a message, in UTF-8: 「é」(U+00E9), or only the code point
// for one that cannot be shown (a control character, a lone surrogate), with
// "NUL" before it for U+0000. The words around it are the caller's.
std::string NameCharacter(char32_t character);

// --- Files kept in UTF-8 -------------------------------------------------
//
// A program may be kept on the PC as UTF-8 and still reach the device as code
// page 932 bytes. Every byte below 0x80 is the same in both, so line ends,
// tabs and control bytes pass unchanged and line counts agree. Every other
// character takes the one code the editor gives it when it is typed (the same
// table): half-width katakana are the single bytes 0xA1-0xDF, a backslash is
// 0x5C and a tilde 0x7E; a yen sign (U+00A5) or overline has no code, nor
// have the editor's own marks for bytes (control pictures, private-use byte
// marks). Going back, a second code of a character (see above) becomes that
// character, which comes back as its preferred code.

enum class ConversionProblem {
    NotUtf8,       // the bytes at `offset` are no UTF-8 character
    NotInCodePage, // `character` has no code in code page 932
    NoCharacter,   // the byte at `offset` starts no character of code page 932
};

struct ConversionError {
    ConversionProblem problem = ConversionProblem::NotUtf8;
    std::size_t offset = 0; // into the bytes converted
    char32_t character = 0; // NotInCodePage
    unsigned char byte = 0; // NotUtf8, NoCharacter: the first byte at fault
};

// UTF-8 to code page 932 bytes, into `bytes`. A byte-order mark at the very
// start is dropped; `droppedMark` (when given) says whether there was one.
// On an error `bytes` is left empty.
std::optional<ConversionError> FromUtf8(std::string_view utf8, std::string& bytes,
                                        bool* droppedMark = nullptr);
// The code FromUtf8() gives `character`: one byte (a value below 0x100) or a
// lead byte and a trail byte (lead << 8 | trail); none for a character it
// refuses (no code, or one of the editor's marks and stand-ins).
std::optional<std::uint16_t> CodeOf(char32_t character);
// Appends the UTF-8 bytes of `character` to `out`.
void AppendUtf8(std::string& out, char32_t character);
// The UTF-8 character that starts at `offset` of `utf8` and its length in
// bytes; a length of 0 when the bytes there are no UTF-8 character (a stray
// continuation byte, a sequence cut short, an overlong form, a surrogate, a
// value past U+10FFFF). The one reading of UTF-8 every part of the program
// shares.
struct Utf8Char {
    char32_t value = 0;
    std::size_t length = 0;
};
Utf8Char ReadUtf8(std::string_view utf8, std::size_t offset);
// Code page 932 bytes to UTF-8, into `utf8`. On an error `utf8` is left empty.
std::optional<ConversionError> ToUtf8(std::string_view bytes, std::string& utf8);
// Whether `bytes` read as UTF-8 without a fault and hold at least one
// character beyond ASCII: a file that is most likely UTF-8, not code page 932.
// The offset of the first such character, or none.
std::optional<std::size_t> LooksLikeUtf8(std::string_view bytes);

// Whether `text` (a piece of widget text, around an edit) comes back from its
// bytes as it is: no two neighbours in it read as one character. True for
// text that cannot be encoded at all (its refusal is reported elsewhere).
bool KeepsApart(std::u16string_view text);

// True for the marks the decoder shows in place of bytes (control pictures,
// byte marks) and for the stand-ins of repeated codes.
bool IsPlaceholder(char16_t unit);
// The character a stand-in is a second code of; the unit itself otherwise.
char16_t StandsFor(char16_t unit);

// The number of bytes the first `position` units of `text` encode to. A
// unit that Encode() refuses counts one byte, so the result stays monotone.
// Past the end, the length of the whole text in bytes.
std::size_t ByteOffset(std::u16string_view text, std::size_t position);
// The position of the unit that byte `offset` of the encoded text belongs
// to. An offset inside a double-byte character or between the CR and the LF
// of a line break is the position of that character or break; an offset at
// or past the end is the length of the text.
std::size_t Position(std::u16string_view text, std::size_t offset);
// The other way round, read off the bytes: how many bytes `units` units of
// Decode(bytes) take from byte `offset` on (where a unit starts), no further
// than the end. What an editor needs to learn how many bytes a change took
// away once the widget's text no longer has them.
std::size_t UnitsToBytes(std::string_view bytes, std::size_t offset, std::size_t units);

// Both conversions for many offsets into one text: one pass to build, then
// each conversion is a lookup and a scan of at most 64 units. The text must
// outlive the index and stay unchanged.
class OffsetIndex {
public:
    explicit OffsetIndex(std::u16string_view text);

    std::size_t ByteOffset(std::size_t position) const;
    std::size_t Position(std::size_t offset) const;
    std::size_t ByteLength() const { return m_byteLength; }

private:
    std::size_t UnitBytes(std::size_t position) const;

    // The byte offset of every kStride-th unit.
    static constexpr std::size_t kStride = 64;
    std::u16string_view m_text;
    std::vector<std::size_t> m_checkpoints;
    std::size_t m_byteLength = 0;
};

} // namespace tessel::cp932
