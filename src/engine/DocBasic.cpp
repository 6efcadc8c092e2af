#include "engine/DocBasic.h"

namespace tessel {

bool CDocBasic::Renumber(unsigned newStart, unsigned oldStart, unsigned step) {
    return RenumberLines(newStart, oldStart, step, References::Rewrite);
}

} // namespace tessel
