#pragma once

// What a file, as people share it, holds that would not reach the device as
// its author meant. The one place that finds it: tessel-cli's check and send
// warn of it, and the desktop program says so when such a file opens; tidy
// (Tidy.h) mends what it can.

#include "engine/Tidy.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessel {

struct FileShape {
    // The text reads as UTF-8 and holds characters beyond ASCII: the line
    // (0-based) of the first of them. Read as code page 932 it is garbage to
    // the device.
    std::optional<std::size_t> utf8Line;
    // Loading takes the text as having no numbers (its first byte is no
    // digit), yet by tidy's rule it is a numbered program: each of its lines
    // gets a new number in front of its own.
    bool numbersMissed = false;
    // What tidy finds, in code page 932: what it would remove, and the lines
    // it would still refuse.
    TidyResult tidy;

    // Whether the text is a numbered program with lines that Renumber, Sort
    // and Send refuse as lines without a number but tidy mends: blank lines,
    // blanks before numbers, the end-of-file mark after the last line.
    bool TidyMends() const {
        return tidy.numbered &&
               (tidy.blankLines != 0 || tidy.indentedNumbers != 0 || tidy.droppedEndMark);
    }
};

// What to look for: everything, or only what loading misreads (UTF-8, and
// numbers it does not see), which for a text loading takes as numbered
// leaves `tidy` empty and costs no pass of tidy.
enum class ShapeScope { Everything, Misread };

// The shape of `text`, a file's bytes as loading reads them (code page 932,
// or already converted from UTF-8).
FileShape FindFileShape(std::string_view text, ShapeScope scope = ShapeScope::Everything);

} // namespace tessel
