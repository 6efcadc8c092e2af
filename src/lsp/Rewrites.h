#pragma once

// The operations over a whole line-numbered program, as code actions and as
// formatting: renumber the program (from the settings' start, a step of the
// settings' apart), renumber from the line at the cursor, sort the lines,
// tidy. Each gives exactly the bytes tessel-cli renumber, sort and tidy write
// for the same text in a file: it runs the same document operations, from
// loading the text as a file to storing it again. A text an operation
// refuses gets the message tessel-cli gives, naming the document as the
// command line names its file.

#include "lsp/DocumentStore.h"
#include "lsp/Protocol.h"
#include "settings/AppSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::lsp {

// The name messages give a document, as the command line names a file: the
// last part of its path, its %-escapes undone.
std::string ShownName(std::string_view uri);

// What an operation made of a document's text (code page 932 bytes), or why
// it refused it.
struct Rewritten {
    std::string text;
    std::string refusal; // empty when it went through
    bool Ok() const { return refusal.empty(); }
};

// tessel-cli renumber --new `newStart` --old `oldStart` --step `step`;
// without `oldStart` the whole program, from its lowest line.
Rewritten RenumberDocument(const Document& document, const AppSettings& settings, unsigned newStart,
                           std::optional<unsigned> oldStart, unsigned step);
// tessel-cli sort.
Rewritten SortDocument(const Document& document, const AppSettings& settings);
// tessel-cli tidy.
Rewritten TidyDocument(const Document& document);
// The bytes tessel-cli send puts on the line (as tessel-cli wire writes
// them, up to the end code), after the checks of a send.
Rewritten SendDocument(const Document& document, const AppSettings& settings);

// The edits that turn `before` into `after` (code page 932 bytes): the lines
// from the first that differs to the last that differs, replaced as one; none
// when the two are the same. Empty when `after` has no UTF-8 form (it always
// has, made of a text the client sent).
std::vector<TextEdit> EditsBetween(const SourceText& before, std::string_view after,
                                   PositionEncoding encoding);

// The operations for the code action request `params`: each that would
// change the text, with its edit; each that the text is refused for, with
// the refusal as the reason it is disabled when the client shows such
// actions (`disabled`), else left out. None for a document without line
// numbers.
std::vector<CodeAction> RewriteActions(const Document& document, const CodeActionParams& params,
                                       const AppSettings& settings, PositionEncoding encoding,
                                       bool versioned, bool disabled);

// Formatting: tidy's edits (none when the text is tidy, or has no line
// numbers), or tidy's refusal as an error.
Expected<std::vector<TextEdit>> FormatDocument(const Document& document, PositionEncoding encoding);

} // namespace tessel::lsp
