#pragma once

// Problems of a document's text itself, before any BASIC: the characters
// code page 932 has no code for, which the device cannot hold.

#include "lsp/Protocol.h"
#include "lsp/SourceCode.h"

#include <cstddef>
#include <vector>

namespace tessel::lsp {

// One error a character, in order, for at most `limit` characters; when
// there are more, one last error on the first of the rest says how many.
std::vector<Diagnostic> ForeignCharacterProblems(const SourceText& text, PositionEncoding encoding,
                                                 std::size_t limit = 100);

} // namespace tessel::lsp
