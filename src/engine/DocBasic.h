#pragma once

#include "engine/DocWithLineNum.h"

namespace tessel {

// BASIC programs: renumbering also rewrites the line numbers that GOTO,
// GOSUB, THEN, ELSE and RESTORE refer to.
class CDocBasic final : public CDocWithLineNum {
public:
    using CDocWithLineNum::CDocWithLineNum;

    bool Renumber(unsigned newStart, unsigned oldStart, unsigned step) override;
    // Rewrites the references of an ordered table whose new numbers are
    // assigned. IDS_NONE, or IDS_LINE_REF_MISSING with the line naming a
    // missing line (its offset counted in the text in number order, which
    // is what the renumbering writes back).
    TextResult RewriteLineRefs(LineTable& lines);

protected:
    TextResult RewriteRefs(LineTable& lines) override { return RewriteLineRefs(lines); }
};

} // namespace tessel
