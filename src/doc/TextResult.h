#pragma once

#include "res/Problem.h"
#include "res/StringTable.h"

#include <cstddef>

namespace tessel {

// The outcome of an operation on a document's text: IDS_NONE, or the
// message that says what is wrong and, where it is about one line, that line
// of the text the operation ran on and where it starts.
struct TextResult {
    StringId code = IDS_NONE;
    std::size_t line = kNoLine;     // 0-based
    std::size_t offset = 0;         // bytes from the start of the text to the line
    std::size_t column = kNoColumn; // 0-based byte in the line, where it matters
    // What names that place for a person (doc/LinePlace.h), put into words
    // below the message where it is shown; none (Ok()) where there is none.
    Problem place;

    static TextResult At(StringId code, std::size_t line, std::size_t offset) {
        return {code, line, offset, kNoColumn, {}};
    }
    bool Ok() const { return code == IDS_NONE; }
    bool HasLine() const { return line != kNoLine; }
};

} // namespace tessel
