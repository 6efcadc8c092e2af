#pragma once

// Sorting a line-numbered text: its lines in number order, each with its
// number and text as they were. A text whose table cannot be built (a line
// without a number, a number out of range or used twice) is refused as
// BuildLineTable refuses it.

#include "res/Problem.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel {

struct SortResult {
    // The lines in number order, each ending in CR LF, whatever it ended
    // with before; empty on a problem.
    std::string text;
    // None, or why the text was refused, at its line, and what names that
    // line for a person (LineTable.h).
    Problem problem;
    Problem place;
    // The lines were not in number order.
    bool reordered = false;

    bool Ok() const { return problem.Ok(); }
};

SortResult SortLines(std::string_view text);

// Where a caret at byte `offset` of `before` belongs in `after`, which holds
// the same lines in number order, sorted or renumbered: on the same line (the
// one with the same place in number order), as far past the line's number as
// it was, and no further than the line's end. Every line of `before` must have
// a number, no two the same, as after a successful sort or renumbering.
std::size_t CaretAfterReorder(std::string_view before, std::size_t offset, std::string_view after);

} // namespace tessel
