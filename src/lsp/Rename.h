#pragma once

// Renaming a line number: the line takes a new number and, in a BASIC
// program, every reference to it names the new number. Nothing else changes:
// no other line is renumbered, none moves. A new number that another line
// has, that the device does not take, or that would put the line elsewhere in
// number order is refused, with why, and nothing is edited.

#include "lsp/DocumentModel.h"
#include "lsp/Protocol.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tessel::lsp {

// The digits a rename at `position` would change: a line's own number, or a
// reference to a line. None where there is nothing to rename; an error,
// saying why, on a reference to a line that is not there or on a number that
// more than one line has (the references could name either).
Expected<std::optional<Range>> PrepareRename(const DocumentModel& program, const Position& position,
                                             PositionEncoding encoding);

// The edits that give the line at `position` (by its number or a reference
// to it) the number `newName`, and every reference to it the same; an error
// when there is no such line or the number is refused.
Expected<std::vector<TextEdit>> RenameLine(const DocumentModel& program, const Position& position,
                                           std::string_view newName, PositionEncoding encoding);

} // namespace tessel::lsp
