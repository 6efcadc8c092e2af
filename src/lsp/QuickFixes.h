#pragma once

// Quick fixes: the mechanical mends of the problems an editor shows (a blank
// line removed, an indent taken away, a NUL or a stray end code deleted), as
// code actions that make them.

#include "lsp/DocumentStore.h"
#include "lsp/Protocol.h"

#include <vector>

namespace tessel::lsp {

// For each problem of `params`' context whose data carries a mend, a quick
// fix that makes it, when the document as it is now still has that problem
// with that mend: a mend found in an older text could remove the wrong
// bytes, and is left out (the editor asks again with the new problems).
// None when the context asks only for other kinds of action. The edit names
// the document's version when `versioned` (the client takes documentChanges).
std::vector<CodeAction> QuickFixes(const Document& document, const CodeActionParams& params,
                                   PositionEncoding encoding, bool versioned);

} // namespace tessel::lsp
