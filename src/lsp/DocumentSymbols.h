#pragma once

// The outline of a program: every numbered line as a symbol named by its
// number, with its text, and the labels defined on it, so that an editor's
// outline lists the program line by line.

#include "lsp/DocumentModel.h"
#include "lsp/Protocol.h"

namespace tessel::lsp {

// In text order: a line's labels are its children when `tree`, else each
// follows its line with the line's number as its container. A line without
// a number the device takes is left out.
DocumentSymbols Outline(const DocumentModel& program, PositionEncoding encoding, bool tree);

} // namespace tessel::lsp
