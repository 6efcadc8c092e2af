#pragma once

// The program's colours as the editor's own: the core's tokens of each line
// (model/SourceLexer.h) as semantic tokens of the protocol's standard types,
// so any editor colours keywords, numbers, strings, remarks, variables and
// operators, and line numbers, references and labels alike.

#include "lsp/DocumentModel.h"
#include "lsp/Protocol.h"

#include <optional>

namespace tessel::lsp {

// The token types and modifiers the tokens' numbers stand for.
const SemanticTokensLegend& TokenLegend();

// The tokens of the whole program, or of the lines `range` touches; a byte
// that is no token (blanks, punctuation) has none.
SemanticTokens Highlighting(const DocumentModel& program, PositionEncoding encoding,
                            const std::optional<Range>& range = std::nullopt);

} // namespace tessel::lsp
