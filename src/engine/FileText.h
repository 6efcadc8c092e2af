#pragma once

// What the bytes of a line-numbered document's file, and the bytes received
// from the device, become in the editor, and what the editor's text becomes
// in the file again.
//
// The editor shows every line with a number and CR LF after it. A text whose
// first byte is no digit is taken as having no numbers: each of its lines is
// numbered (Numbering.h) and the numbers go again when it is stored. A file
// whose lines all end in LF, or all in CR, is stored with that line end
// again; storing what loading made of a file gives back its bytes.

#include "doc/Document.h"
#include "doc/TextOps.h"
#include "engine/Numbering.h"
#include "res/Problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

struct AppSettings;

// Where the numbers given to a text without numbers start, and how far apart
// they are.
struct NumberingOptions {
    std::uint64_t start = 10;
    std::uint64_t step = 10;

    static NumberingOptions For(const AppSettings& settings);
};

struct LoadedText {
    // The file held numbers of its own (its first byte is a digit): it is
    // stored with them. Else the numbers loading put in go again.
    bool numbered = true;
    // The file's line end (UniformLineEnd), which storing writes again.
    EndOfLineCode lineEnd = kEolCrLf;
    // The text for the editor where loading changes the file's bytes; none
    // where they go in as they are (numbered, with CR LF), and on a problem.
    std::optional<std::string> changed;
    // None, or IDS_FILE_TOO_LARGE: the text would be larger than the editor
    // takes.
    Problem problem;

    bool Ok() const { return problem.Ok(); }
    // The text for the editor, made of the file's `bytes` (when Ok).
    std::string_view Text(std::string_view bytes) const {
        return changed ? std::string_view(*changed) : bytes;
    }
};
// What the bytes of a file, `bytes`, become in the editor.
LoadedText LoadFileText(std::string_view bytes, NumberingOptions numbering);

// What bytes received from the device become in the editor: the end-of-text
// code after the last byte goes, a text without numbers is numbered when
// `receive` asks for that, and the device's line end becomes CR LF
// (ReceivedDataText).
struct ReceivedText {
    std::string text;
    // The bytes came with numbers; always true when they are taken as
    // received.
    bool numbered = true;
};
ReceivedText ReceiveText(std::string received, ReceiveNumbering receive, int endOfLine,
                         std::uint8_t endCode, NumberingOptions numbering);

// The text as the file holds it: without numbers when `withNumbers` is
// false (the numbers loading put in front of the lines go), with each CR LF
// as `lineEnd`.
inline std::string StoredText(std::string shown, bool withNumbers, EndOfLineCode lineEnd) {
    if (!withNumbers)
        shown = RemoveLineNumbers(shown);
    ToDeviceLineEnds(shown, lineEnd);
    return shown;
}

} // namespace tessel
