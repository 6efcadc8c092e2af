#pragma once

// Renumbering a line-numbered text: the lines from one of them on (the old
// start) get new numbers, from a new start, a step apart; the lines before it
// keep theirs. The lines come back in number order, each ending in CR LF.
// In a BASIC program the numbers its lines refer to (GOTO 100) are rewritten
// to the new numbers too, exactly where BasicLexer finds line references.
//
// Nothing is renumbered when the table cannot be built (LineTable.h), when no
// line has the old start, when the new numbers would pass the line before the
// old start or go beyond 65279, or when a line refers to a line that does not
// exist; the lines still come back in number order with the numbers they had.

#include "engine/LineTable.h"
#include "res/Problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// Whether renumbering also rewrites the references to the lines (BASIC).
enum class References { Keep, Rewrite };

// What to renumber and how.
struct Renumbering {
    unsigned newStart = 10; // the first new number
    unsigned oldStart = 10; // the number of the first line renumbered
    unsigned step = 10;
    References references = References::Keep;
};

struct RenumberResult {
    // The renumbered text; on a problem, the lines in number order with the
    // numbers they had (empty when the table could not be built).
    std::string text;
    // None, or: a table's refusal at its line (LineTable.h);
    // IDS_RENUM_OLD_MISSING, IDS_RENUM_ORDER or IDS_RENUM_OVERFLOW, about no
    // line; IDS_LINE_REF_MISSING at the first line, in number order, that
    // names a missing line (its line in the text renumbered, its offset in
    // `text` above, which is what the renumbering writes back).
    Problem problem;
    // What names the problem's place for a person (doc/LinePlace.h).
    Problem place;
    // The lines were not in number order: they are now, whatever else
    // happened.
    bool reordered = false;
    // A line has a new number (never on a problem).
    bool renumbered = false;

    bool Ok() const { return problem.Ok(); }
};

RenumberResult Renumber(std::string_view text, const Renumbering& how);
// The same over a table already built (BuildLineTable, without a problem),
// whose records get their new numbers. `reordered` is left false: the build
// said whether the lines were in order.
RenumberResult Renumber(LineTable& lines, const Renumbering& how);

// The lowest line number of a table that BuildLineTable built with
// `built`: where renumbering the whole program starts. None when a line has
// no number the device takes (renumbering says why) or there is none; a
// duplicate leaves every line in the table, in text order, and the lowest
// is still found.
std::optional<std::uint32_t> LowestLineNumber(const LineTable& lines, const LineTableResult& built);

// A reference from one line to another by its number (GOTO 100): the
// number of the line that holds it and the digits of the number it names.
struct FoundReference {
    std::uint32_t line = 0;
    std::string target;
};

// The first reference to a line number in the lines of a table, in its
// order, that renumbering a BASIC program would rewrite. None when there
// is none.
std::optional<FoundReference> FindLineReference(const LineTable& lines);

} // namespace tessel
