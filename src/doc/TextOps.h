#pragma once

// Byte-level text operations shared by every document kind. Text is code page
// 932 bytes; a line ends with CR LF, a lone CR or a lone LF, and LF CR is two
// line ends (an LF-terminated line, then a line that is only CR).

#include "res/Problem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// The longest text a document loads.
inline constexpr std::size_t kMaxTextSize = 65535;
// The longest line the device takes, without its terminator.
inline constexpr std::size_t kMaxLineLength = 254;

// Device line ends (the "EndOfLine" setting).
enum EndOfLineCode : int { kEolCr = 0, kEolLf = 1, kEolCrLf = 2 };

// The line that starts at `start`: its content length and the bytes it spans,
// terminator included. At or past the end of the text both are 0.
struct LineSpan {
    std::size_t length = 0;
    std::size_t span = 0;
};
LineSpan NextLine(std::string_view text, std::size_t start);

// The line (0-based) that byte `offset` of `text` belongs to, a line end
// to the line it ends; past the end, the last line.
std::size_t LineAt(std::string_view text, std::size_t offset);

// How the lines of a file end when they all end alike: kEolLf when every
// line end is a lone LF, kEolCr when every one is a lone CR; kEolCrLf for CR
// LF, for a mix, and for a text without line ends.
EndOfLineCode UniformLineEnd(std::string_view text);

// A place in a text: its line (0-based), the byte column in that line
// (0-based) and the offset from the start of the text.
struct TextPlace {
    std::size_t line = 0;
    std::size_t column = 0;
    std::size_t offset = 0;
};

// The place of byte `offset` of `text`; a line end belongs to the line it
// ends. At or past the end, the end of the last line.
TextPlace PlaceAt(std::string_view text, std::size_t offset);

// Where the end-of-text `code` would stop the device reading `sent`, the
// bytes of a send, before their end: the offset of the first code in them
// when anything but line ends (CR, LF) follows it before the code that ends
// them. None when the device reads them to the end.
std::optional<std::size_t> FindEndCodeStop(std::string_view sent, std::uint8_t code);

// One line from the start of `text`, terminator included.
std::string_view ExtractLine(std::string_view text);

// Every tab becomes 1 to `width` blanks, up to the next multiple of `width`
// bytes from the start of its line.
void ExpandTabs(std::string& text, unsigned width);

// The length of `line` with its tabs expanded to `width`.
std::size_t ExpandedLength(std::string_view line, unsigned width);
// The byte of `line` that stands at `column` once its tabs are expanded to
// `width` (a tab stands at every column of the blanks it becomes); past the
// expanded line, the length of `line`.
std::size_t UnexpandedColumn(std::string_view line, std::size_t column, unsigned width);

// True when the line's content, without its terminator, is at most `limit` bytes.
bool IsLineWithin(std::string_view line, std::size_t limit);

// A line longer than a limit once its tabs are expanded: its line (0-based),
// where it starts in the text, and its content expanded, without its line end.
struct LongLine {
    std::size_t line = 0;
    std::size_t offset = 0;
    std::string expanded;
};
// Expands the tabs of `text` line by line (ExpandTabs). With a `limit`, the
// first line longer than `limit` bytes once expanded is returned instead, and
// `text` is left as it was.
std::optional<LongLine> ExpandLineTabs(std::string& text, unsigned width,
                                       std::optional<std::size_t> limit);

bool CheckTextSize(std::string_view text);

// Editor CR LF to the device's line end.
void ToDeviceLineEnds(std::string& text, int endOfLine);
// The device's line end to editor CR LF (a plain substitution).
void FromDeviceLineEnds(std::string& text, int endOfLine);

// Deletes the last byte when it is the end-of-text code.
void RemoveEndCode(std::string& text, std::uint8_t code);
// Appends the end-of-text code unless the text already ends with it.
void AppendEndCode(std::string& text, std::uint8_t code);

// Replaces every occurrence of `from` by `to` in one pass.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// The editor text of a document without line numbers (a DATA file) made of
// bytes received from the device: its line end becomes CR LF and the
// end-of-text code after the last byte goes. Nothing else changes.
std::string ReceivedDataText(std::string received, int endOfLine, std::uint8_t endCode);

// The bytes a text goes to the device as, or why it may not go.
struct SendResult {
    // The bytes to send; empty on a problem and for an empty text, which has
    // nothing to send.
    std::string bytes;
    // None, or why the text was refused, where the caret goes (`offset`),
    // and what names that place for a person (doc/LinePlace.h).
    Problem problem;
    Problem place;

    bool Ok() const { return problem.Ok() && !bytes.empty(); }
};

// The refusal of a send whose end-of-text code, at byte `origin` of `text`
// (or carried by the line end that starts there), would stop the device
// before the end: IDS_END_CODE_INSIDE at its line and column. `numberOf`
// gives the number of the line as a person knows it; without it the line is
// named by its place alone.
SendResult EndCodeInside(std::string_view text, std::size_t origin,
                         std::uint32_t (*numberOf)(std::string_view line) = nullptr);

// The bytes a text without line numbers goes to the device as: its lines in
// order, tabs expanded to `tabWidth`, CR LF as the device's line end (lone
// CRs and LFs as they are) and the end-of-text code after the last line.
// Refused (EndCodeInside) when an end-of-text code inside the bytes would
// stop the device before their end.
SendResult DataSendText(std::string_view text, unsigned tabWidth, int endOfLine,
                        std::uint8_t endCode);

} // namespace tessel
