#include "engine/BasicDocument.h"

namespace tessel {

bool BasicDocument::Renumber(unsigned newStart, unsigned oldStart, unsigned step) {
    return RenumberLines(newStart, oldStart, step, References::Rewrite);
}

} // namespace tessel
