#pragma once

// What the model's scan of a line and the problems it finds share: the
// blanks that may stand before a line's number or fill a blank line.

namespace tessel {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace tessel
