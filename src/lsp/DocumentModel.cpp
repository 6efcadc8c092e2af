#include "lsp/DocumentModel.h"

#include "lsp/ProgramProblems.h"

#include <vector>

namespace tessel::lsp {
namespace {

ModelOptions OptionsFor(const Document& document) {
    ModelOptions options;
    options.kind = DocumentKind(document);
    return options;
}

} // namespace

DocumentModel::DocumentModel(const Document& document)
    : m_document(document), m_model(OptionsFor(document)) {
    m_model.Build(document.text.Bytes());
}

ProgramPlace DocumentModel::At(const Position& position, PositionEncoding encoding) const {
    return PlaceAt(m_model, m_document.text.OffsetOf(position, encoding), true);
}

Range DocumentModel::NumberRange(std::size_t line, PositionEncoding encoding) const {
    const ProgramLine& record = m_model.Line(line);
    return RangeOf(record.start, record.start + record.digits, encoding);
}

Range DocumentModel::LineRange(std::size_t line, PositionEncoding encoding) const {
    const ProgramLine& record = m_model.Line(line);
    return RangeOf(record.start, record.End(), encoding);
}

Range DocumentModel::ReferenceRange(const LineReference& reference,
                                    PositionEncoding encoding) const {
    const std::size_t begin = m_model.Line(reference.line).start + reference.column;
    return RangeOf(begin, begin + reference.length, encoding);
}

Range DocumentModel::UseRange(const SymbolUse& use, PositionEncoding encoding) const {
    const std::size_t begin = m_model.Line(use.line).start + use.column;
    return RangeOf(begin, begin + use.length, encoding);
}

std::string DocumentModel::LineText(std::size_t line) const {
    const ProgramLine& record = m_model.Line(line);
    return Text(record.start, record.End());
}

std::string DocumentModel::Text(std::size_t begin, std::size_t end) const {
    return m_document.text.Utf8(begin, end);
}

} // namespace tessel::lsp
