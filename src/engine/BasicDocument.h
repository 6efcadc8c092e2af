#pragma once

#include "engine/NumberedDocument.h"

namespace tessel {

// BASIC programs: renumbering also rewrites the line numbers that GOTO,
// GOSUB, THEN, ELSE and RESTORE refer to.
class BasicDocument final : public NumberedDocument {
public:
    using NumberedDocument::NumberedDocument;

    bool Renumber(unsigned newStart, unsigned oldStart, unsigned step) override;
};

} // namespace tessel
