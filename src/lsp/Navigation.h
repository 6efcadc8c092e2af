#pragma once

// Going from a line reference or a label to its line, and finding every
// reference to a line: definition, references and document highlights.

#include "lsp/DocumentModel.h"
#include "lsp/Protocol.h"

#include <optional>
#include <vector>

namespace tessel::lsp {

// Where the line a reference names starts (its number), or the label a
// label reference names; a line's number and a label's definition are their
// own. None elsewhere, and for a line or label that does not exist.
std::optional<Location> Definition(const DocumentModel& program, const Position& position,
                                   PositionEncoding encoding);

// Every reference to the line whose number, or a reference to which, stands
// at `position` (and the line's number itself, first, with `declaration`,
// when the line exists); for a label, its uses and, with `declaration`, its
// definition. In text order after the declaration.
std::vector<Location> References(const DocumentModel& program, const Position& position,
                                 bool declaration, PositionEncoding encoding);

// The same places in this document: the line's number (or label's
// definition) as text, the references as reads.
std::vector<DocumentHighlight> Highlights(const DocumentModel& program, const Position& position,
                                          PositionEncoding encoding);

} // namespace tessel::lsp
