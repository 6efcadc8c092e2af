#pragma once

// Makes a line-numbered program as people share it into one the device
// takes: blank lines between its lines go, blanks before a line's number go,
// and a program kept in UTF-8 becomes code page 932. The end-of-file mark
// ^Z (0x1A) that DOS editors put after the last line goes too. Nothing else
// changes: every other byte of every line, and every line end, stays as it
// was.
//
// Whether the text holds numbers is decided as loading decides it, by its
// first line, but on that line tidied: a text whose first line that is not
// blank begins with a digit, after any blanks and tabs, is numbered. Then
// every line that is kept must begin with a number. A text without numbers
// is left as it is (loading numbers it, blank lines included); only its
// encoding is converted.

#include "doc/TextResult.h"
#include "encoding/Cp932.h"
#include "encoding/TextEncoding.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

struct TidyResult {
    // What changed; all zero and false when nothing did.
    std::size_t convertedLines = 0; // lines with characters beyond ASCII, converted from UTF-8
    bool droppedByteOrderMark = false;
    std::size_t blankLines = 0;          // empty lines and lines of blanks and tabs, removed
    std::size_t indentedNumbers = 0;     // lines whose blanks and tabs before the number went
    std::size_t firstIndented = kNoLine; // the first of them (0-based line of the input)
    bool droppedEndMark = false;         // a last line of ^Z (0x1A) alone, removed
    bool numbered = false;               // the text is taken as numbered

    // Why the text was refused, if it was: it is no UTF-8 or holds a
    // character code page 932 cannot hold (`conversion`), or a line kept
    // would begin with no number. `line` is the 0-based line of the input
    // at fault.
    std::optional<cp932::ConversionError> conversion;
    bool lineWithoutNumber = false;
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

} // namespace tessel
