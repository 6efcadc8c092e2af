#pragma once

// Completion in a BASIC program: where a line reference can stand (after
// GOTO, GOSUB, THEN, ELSE, RESTORE, in a list after a comma) the numbers of
// the lines there are, each with its text; where a word starts, the
// keywords of the engine's table.

#include "lsp/DocumentModel.h"
#include "lsp/Protocol.h"

#include <optional>
#include <string>

namespace tessel::lsp {

// The characters after which a line reference may follow at once: a
// completion they trigger offers line numbers only, never every keyword
// after every blank.
inline constexpr const char* kCompletionTriggers[] = {" ", ","};

// The items at `position`, each replacing the word typed before it. Nothing
// inside a string or a remark, while a line's own number is typed, or in a
// document that is not BASIC.
CompletionList Complete(const DocumentModel& program, const Position& position,
                        PositionEncoding encoding, const std::optional<std::string>& trigger);

} // namespace tessel::lsp
