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
    // assigned. Returns 0, or 201 with m_nErrorPos at the line naming a
    // missing line.
    std::uint16_t RewriteLineRefs(LineTable& lines);

protected:
    std::uint16_t RewriteRefs(LineTable& lines) override { return RewriteLineRefs(lines); }
};

} // namespace tessel
