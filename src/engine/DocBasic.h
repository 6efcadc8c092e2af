#pragma once

#include "engine/DocWithLineNum.h"

namespace tessel {

// BASIC programs: renumbering also rewrites the line numbers that GOTO,
// GOSUB, THEN, ELSE and RESTORE refer to.
class CDocBasic final : public CDocWithLineNum {
public:
    using CDocWithLineNum::CDocWithLineNum;

    bool Renumber(unsigned newStart, unsigned oldStart, unsigned step) override;
};

} // namespace tessel
