#pragma once

// What hovering over a program shows: over a line reference or a label
// reference, the line it names (or that there is none); over a BASIC
// keyword, what kind of word it is.

#include "lsp/DocumentModel.h"
#include "lsp/Protocol.h"

#include <optional>

namespace tessel::lsp {

// None over anything else. Markdown (the line as code) when `markdown`,
// else plain text.
std::optional<Hover> HoverAt(const DocumentModel& program, const Position& position,
                             PositionEncoding encoding, bool markdown);

} // namespace tessel::lsp
