#pragma once

#include "engine/DocWithLineNum.h"

namespace tessel {

// BASIC programs: renumbering also rewrites the line numbers that GOTO,
// GOSUB, THEN, ELSE and RESTORE refer to.
class CDocBasic final : public CDocWithLineNum {
public:
    using CDocWithLineNum::CDocWithLineNum;

    bool Renumber(unsigned newStart, unsigned oldStart, unsigned step) override;
    // Writes the renumbered text of an ordered table whose new numbers are
    // assigned, as WriteRenumbered does, with the references rewritten.
    // IDS_NONE, or IDS_LINE_REF_MISSING with the first line, in number order,
    // that names a missing line (its offset counted in the text in number
    // order, which is what the renumbering writes back).
    TextResult RewriteLineRefs(const LineTable& lines, char*& out);
    // The first reference to a line number in the lines of a table, in its
    // order, that renumbering a BASIC program would rewrite. None when
    // there is none.
    static std::optional<FoundReference> FindLineReference(const LineTable& lines);

protected:
    TextResult WriteRenumbered(const LineTable& lines, char*& out) override {
        return RewriteLineRefs(lines, out);
    }
};

} // namespace tessel
