#pragma once

// The problems of a program as the core's model finds them (model/
// ProgramModel.h), as an editor shows them: every error, warning and note of
// the text, where the model puts it, in the interface's language.

#include "doc/DocKind.h"
#include "lsp/DocumentStore.h"
#include "lsp/Protocol.h"
#include "settings/AppSettings.h"

#include <optional>
#include <vector>

namespace tessel::lsp {

// The kind of document the client's language id stands for ("basic", "c",
// "asm", "casl", "text"), else the file's extension as the desktop program
// takes it (also for "plaintext", which editors give any file they know no
// language for).
DocKind DocumentKind(const Document& document);

// Every problem of a line-numbered document's program, in text order; none
// for a DATA document. A character without a code in code page 932 is left
// to ForeignCharacterProblems (lsp/TextProblems.h), which names it. Each says
// its message's number as its code and, for a problem with a mechanical
// mend, the mend in its data (DiagnosticFix, lsp/Protocol.h).
// The settings give the tab width and the end code a send goes by, as for
// tessel-cli check.
std::vector<Diagnostic> ProgramProblems(const Document& document, PositionEncoding encoding,
                                        const AppSettings& settings = {});

} // namespace tessel::lsp
