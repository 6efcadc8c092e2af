#pragma once

// A document's program as the core's model has it (model/ProgramModel.h),
// and what stands at a place of it (model/ProgramPlaces.h), for the features
// that look there (navigation, hover, completion), in the client's
// positions.

#include "doc/DocKind.h"
#include "lsp/DocumentStore.h"
#include "lsp/Protocol.h"
#include "model/ProgramModel.h"
#include "model/ProgramPlaces.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel::lsp {

class DocumentModel {
public:
    explicit DocumentModel(const Document& document);

    const Document& Doc() const { return m_document; }
    const ProgramModel& Model() const { return m_model; }
    DocKind Kind() const { return m_model.Options().kind; }

    // What stands at `position`: the token there, or the one just before it
    // when the position is at its end (where a caret stands after typing a
    // word).
    ProgramPlace At(const Position& position, PositionEncoding encoding) const;

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
