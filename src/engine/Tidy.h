#pragma once

// Makes a line-numbered program as people share it into one the device
// takes: blank lines between its lines go, blanks before a line's number go,
// and a program kept in UTF-8 becomes code page 932. The end-of-file mark
// ^Z (0x1A) that DOS editors put after the last line goes too. Nothing else
// changes: every other byte of every line, and every line end, stays as it
// was.
//
// Whether the text holds numbers is decided from the whole text, not from
// its first byte as loading decides it: a text is numbered when its first
// line that is not blank begins with a digit, after any blanks and tabs, or
// when more than half of its lines that are not blank do. So a program as
// people share it, a remark without a number on its first line and its
// numbered lines indented below, is a program with numbers. A numbered text
// keeps only lines that begin with a number: every line that would still have
// none is refused, each with its line. A text without numbers is left as it
// is (loading numbers it, blank lines included); only its encoding is
// converted.

#include "encoding/Cp932.h"
#include "encoding/TextEncoding.h"
#include "res/Problem.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The largest text tidy takes: it may lose any share of its bytes (blank
// lines), so a text larger than the device's may still become one it takes.
inline constexpr std::size_t kMaxTidySize = std::size_t{1} << 20;

struct TidyResult {
    // What changed; all zero and false when nothing did.
    std::size_t convertedLines = 0; // lines with characters beyond ASCII, converted from UTF-8
    bool droppedByteOrderMark = false;
    std::size_t blankLines = 0;          // empty lines and lines of blanks and tabs, removed
    std::size_t firstBlank = kNoLine;    // the first of them (0-based line of the input)
    std::size_t indentedNumbers = 0;     // lines whose blanks and tabs before the number went
    std::size_t firstIndented = kNoLine; // the first of them (0-based line of the input)
    bool droppedEndMark = false;         // a last line of ^Z (0x1A) alone, removed
    bool numbered = false;               // the text is taken as numbered

    // Why the text was refused, if it was: it is no UTF-8 or holds a
    // character code page 932 cannot hold (`conversion`), or lines kept
    // would begin with no number (`linesWithoutNumber`, each 0-based line of
    // the input, in order). `line` is the first line at fault. The counts
    // above still cover the whole text of a text refused for its lines.
    std::optional<cp932::ConversionError> conversion;
    bool lineWithoutNumber = false;
    std::vector<std::size_t> linesWithoutNumber;
    std::size_t line = kNoLine;

    bool Ok() const { return !conversion && !lineWithoutNumber; }
    bool Changed() const {
        return convertedLines != 0 || droppedByteOrderMark || blankLines != 0 ||
               indentedNumbers != 0 || droppedEndMark;
    }
};

// Tidies `input`, read as `encoding`, into `output` (code page 932). On a
// refusal `output` is left empty. Tidying a tidied text changes nothing.
TidyResult Tidy(std::string_view input, TextEncoding encoding, std::string& output);

// Tidying the text an editor shows of a line-numbered document, `shown`,
// where loading put numbers before lines the file holds without them when
// `numbersAdded`: what is tidied is the text as the file holds it, so the
// numbers loading added go and the text's own stay.
struct TidiedText {
    TidyResult report; // what changed, as Tidy says it
    // The text to show: tidied, when the file's text is numbered; else
    // `shown` as it was.
    std::string text;
    // None, or IDS_LINE_NO_NUMBER at the first line that would still have no
    // number (its line and offset in `shown`), and what names it as the file
    // has it (doc/LinePlace.h).
    Problem problem;
    Problem place;

    bool Ok() const { return problem.Ok(); }
};
TidiedText TidyShownText(std::string_view shown, bool numbersAdded);

// Whether a code page 932 text is numbered, by the rule above.
bool IsNumberedText(std::string_view text);

// What tidy changed, one text for each kind of change ("removed 14 blank
// lines"), in the current language; none when it changed nothing.
std::vector<std::string> TidyChanges(const TidyResult& result);

} // namespace tessel
