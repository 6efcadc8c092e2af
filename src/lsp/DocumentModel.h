#pragma once

// A document's program as the core's model has it (model/ProgramModel.h),
// and what stands at a place of it, for the features that look there
// (navigation, hover, completion). Nothing here knows BASIC: the model's
// tokens and references say what is where.

#include "doc/DocKind.h"
#include "lsp/DocumentStore.h"
#include "lsp/Protocol.h"
#include "model/ProgramModel.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel::lsp {

enum class SpotKind {
    None,
    LineNumber,     // the number a line begins with
    LineReference,  // a number after GOTO, GOSUB, THEN, ELSE, RESTORE
    Label,          // *NAME where it is defined
    LabelReference, // *NAME where a line reference could stand
    Keyword,
};

// What stands at a place: a token of the model's, with what it names.
struct Spot {
    SpotKind kind = SpotKind::None;
    std::size_t line = 0;  // the model's line
    std::size_t begin = 0; // the token's bytes in the document
    std::size_t end = 0;
    std::uint32_t number = 0; // LineNumber: the line's; LineReference: the one it names
    std::string name;         // Label, LabelReference: without the asterisk
    KeywordCategory category = kKcStatement; // Keyword
};

class DocumentModel {
public:
    explicit DocumentModel(const Document& document);

    const Document& Doc() const { return m_document; }
    const ProgramModel& Model() const { return m_model; }
    DocKind Kind() const { return m_model.Options().kind; }

    // The token at `position`, or the one just before it when the position
    // is at its end (where a caret stands after typing a word).
    Spot At(const Position& position, PositionEncoding encoding) const;

    Range RangeOf(std::size_t begin, std::size_t end, PositionEncoding encoding) const {
        return m_document.text.RangeOf(begin, end, encoding);
    }
    // The digits a line begins with, and the whole line without its end.
    Range NumberRange(std::size_t line, PositionEncoding encoding) const;
    Range LineRange(std::size_t line, PositionEncoding encoding) const;
    // Where a line reference or a label's name stands.
    Range ReferenceRange(const LineReference& reference, PositionEncoding encoding) const;
    Range UseRange(const SymbolUse& use, PositionEncoding encoding) const;
    // The text of a line (without its end), or of a part of it, as the client
    // has it.
    std::string LineText(std::size_t line) const;
    std::string Text(std::size_t begin, std::size_t end) const;

private:
    const Document& m_document;
    ProgramModel m_model;
};

} // namespace tessel::lsp
